#!/usr/bin/env bash
# Tries the README's two commands on a fresh minimal Debian 12: builds a
# debootstrap chroot (variant minbase, from this machine's Debian mirror),
# copies the committed project into it and, as root there, runs ./test and
# then ./run until the window appears on an Xvfb display of this machine.
# Needs root, debootstrap, Xvfb and xdotool here. Not part of make test: it
# downloads and builds everything anew and takes a long while.
#
#   sudo scripts/fresh-check.sh [CHROOT_FOLDER]
set -euo pipefail

project=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-/var/tmp/tmq-fresh}
mirror=${TMQ_MIRROR:-$(sed -n 's/^URIs: *\(http[^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)}
mirror=${mirror:-http://deb.debian.org/debian}
display=${TMQ_DISPLAY:-87}
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
display=:$display

[ "$(id -u)" -eq 0 ] || { echo "fresh-check: hace falta ser root" >&2; exit 1; }
for tool in debootstrap Xvfb xdotool git; do
  command -v "$tool" >/dev/null || { echo "fresh-check: falta $tool" >&2; exit 1; }
done

started=$(date +%s)
step() { echo "== $(date -u +%H:%M:%S) (+$(($(date +%s) - started)) s) $*"; }

mounted=()
xvfb_pid=
window_pid=
cleanup() {
  [ -n "$window_pid" ] && kill -- "-$window_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[$i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT

bind() { # SOURCE TARGET [mount options...]
  if [ -d "$1" ] || [ "${1#/}" = "$1" ]; then mkdir -p "$2"; else mkdir -p "$(dirname "$2")" && touch "$2"; fi
  mount "${@:3}" "$1" "$2"
  mounted+=("$2")
}

if [ -e "$root" ]; then
  step "removing the previous chroot $root"
  for m in $(awk -v r="$root" 'index($2, r) == 1 {print $2}' /proc/mounts | sort -r); do umount -l "$m"; done
  rm -rf --one-file-system "$root"
fi

step "debootstrap --variant=minbase bookworm from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -n 30 "$root.debootstrap.log"; exit 1; }

# The chroot reaches the same mirror as this machine, with its apt settings
# for it (a frozen snapshot's Release files may be past their validity).
cp /etc/resolv.conf "$root/etc/resolv.conf"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  rm -f "$root/etc/apt/sources.list"
  cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
fi
for conf in /etc/apt/apt.conf.d/*; do
  grep -q 'Check-Valid-Until\|Check-Date' "$conf" 2>/dev/null && cp "$conf" "$root/etc/apt/apt.conf.d/"
done

bind proc "$root/proc" -t proc
bind sysfs "$root/sys" -t sysfs
bind /dev "$root/dev" --bind
bind devpts "$root/dev/pts" -t devpts -o newinstance,ptmxmode=0666
bind tmpfs "$root/dev/shm" -t tmpfs

step "copying the committed project into /root/TransMirtavQuelmar"
git -C "$project" archive --prefix=TransMirtavQuelmar/ HEAD | tar -x -C "$root/root"

in_chroot() {
  chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 "$@"
}

step "./test in the chroot"
test_started=$(date +%s)
in_chroot /bin/sh -c 'cd /root/TransMirtavQuelmar && ./test' 2>&1 | tee "$root.test.log" | tail -n 25
status=${PIPESTATUS[0]}
step "./test ended with $status after $(($(date +%s) - test_started)) s"
[ "$status" -eq 0 ] || exit "$status"

step "./run in the chroot, on Xvfb $display"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.1
done
# Only this display's socket goes into the chroot: Xvfb servers started
# there by the tests must not meet the sockets of this machine's displays.
bind "/tmp/.X11-unix/X${display#:}" "$root/tmp/.X11-unix/X${display#:}" --bind
setsid chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
  DISPLAY="$display" /bin/sh -c 'cd /root/TransMirtavQuelmar && exec ./run' >"$root.run.log" 2>&1 &
window_pid=$!
seen=
for _ in $(seq 1 600); do
  if DISPLAY=$display xdotool search --name 'Exportar e importar datos' >/dev/null 2>&1; then
    seen=yes
    break
  fi
  kill -0 "$window_pid" 2>/dev/null || break
  sleep 1
done
if [ -z "$seen" ]; then
  tail -n 20 "$root.run.log"
  step "the window did not appear"
  exit 1
fi
step "the window appeared: $(DISPLAY=$display xdotool search --name 'Exportar e importar datos' getwindowname)"
step "fresh check passed in $(($(date +%s) - started)) s"
