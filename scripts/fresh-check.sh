#!/usr/bin/env bash
# Tries the README's two commands on a fresh minimal Debian of the given
# release (bookworm, Debian 12; trixie, Debian 13): builds a debootstrap
# chroot (variant minbase, from this machine's Debian mirror), copies the
# committed project into it and, as root there, runs ./test and then ./run
# until the window appears on an Xvfb display of this machine. Needs root,
# debootstrap, Xvfb and xdotool here. Not part of make test: it builds
# everything anew and takes a long while. Downloads are kept for the next
# run (scripts/debian-chroot.sh).
#
#   sudo scripts/fresh-check.sh RELEASE [CHROOT_FOLDER]
set -euo pipefail

release=${1:-}
case "$release" in
  bookworm | trixie) ;;
  *) echo "uso: fresh-check.sh bookworm|trixie [CARPETA_DEL_CHROOT]" >&2; exit 2 ;;
esac
root=${2:-/var/tmp/tmq-fresh-$release}
display=${TMQ_DISPLAY:-87}
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
display=:$display

# shellcheck source=scripts/debian-chroot.sh
source "$(dirname "$0")/debian-chroot.sh"

[ "$(id -u)" -eq 0 ] || { echo "fresh-check: hace falta ser root" >&2; exit 1; }
for tool in debootstrap Xvfb xdotool git; do
  command -v "$tool" >/dev/null || { echo "fresh-check: falta $tool" >&2; exit 1; }
done

xvfb_pid=
window_pid=
cleanup() {
  [ -n "$window_pid" ] && kill -- "-$window_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  chroot_cleanup
}
trap cleanup EXIT

chroot_create "$release" "$root"

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
chroot_bind "/tmp/.X11-unix/X${display#:}" "$root/tmp/.X11-unix/X${display#:}" --bind
setsid chroot "$chroot_root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
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
