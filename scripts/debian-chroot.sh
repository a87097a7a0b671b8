# A fresh minimal Debian of a given release in a chroot, with the committed
# project copied into /root/TransMirtavQuelmar; sourced by fresh-check.sh and
# chroot-test.sh. What the chroot downloads (debootstrap's packages and apt's)
# is kept in a cache outside the project, so that the next chroot of the same
# release fetches nothing it already has.
#
#   chroot_create RELEASE ROOT   debootstrap --variant=minbase, mounts, project
#   in_chroot COMMAND...         runs as root in the chroot, clean environment
#   chroot_bind SOURCE TARGET [mount options...]
#   chroot_cleanup               unmounts (on EXIT)
#   chroot_unavailable RELEASE   why no chroot can be made here, or nothing

project=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
chroot_cache=${TMQ_CHROOT_CACHE:-/var/cache/transmirtavquelmar}
chroot_mirror=${TMQ_MIRROR:-$(sed -n 's/^URIs: *\(http[^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)}
chroot_mirror=${chroot_mirror:-http://deb.debian.org/debian}
chroot_root=
chroot_mounted=()

started=$(date +%s)
step() { echo "== $(date -u +%H:%M:%S) (+$(($(date +%s) - started)) s) $*"; }

chroot_bind() { # SOURCE TARGET [mount options...]
  if [ -d "$1" ] || [ "${1#/}" = "$1" ]; then mkdir -p "$2"; else mkdir -p "$(dirname "$2")" && touch "$2"; fi
  mount "${@:3}" "$1" "$2"
  chroot_mounted+=("$2")
}

chroot_cleanup() {
  for ((i = ${#chroot_mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${chroot_mounted[$i]}" 2>/dev/null || true
  done
  chroot_mounted=()
}

# Root, debootstrap (installed when missing) and the mirror within reach.
chroot_unavailable() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "hace falta ser root para crear un chroot"
    return
  fi
  if ! command -v debootstrap >/dev/null &&
    ! env DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap >/dev/null 2>&1; then
    echo "no se pudo instalar debootstrap"
    return
  fi
  if ! python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1], timeout=20)' \
    "$chroot_mirror/dists/${1:-trixie}/Release" 2>/dev/null; then
    echo "no se llega al archivo de Debian ($chroot_mirror)"
  fi
}

chroot_create() { # RELEASE ROOT
  local release=$1
  chroot_root=$2
  if [ -e "$chroot_root" ]; then
    step "removing the previous chroot $chroot_root"
    for m in $(awk -v r="$chroot_root" 'index($2, r) == 1 {print $2}' /proc/mounts | sort -r); do umount -l "$m"; done
    rm -rf --one-file-system "$chroot_root"
  fi
  mkdir -p "$chroot_cache/$release/debootstrap" "$chroot_cache/$release/apt"

  step "debootstrap --variant=minbase $release from $chroot_mirror"
  debootstrap --variant=minbase --cache-dir="$chroot_cache/$release/debootstrap" \
    "$release" "$chroot_root" "$chroot_mirror" >"$chroot_root.debootstrap.log" 2>&1 ||
    { tail -n 30 "$chroot_root.debootstrap.log"; return 1; }

  # The chroot reaches the same mirror as this machine, with its apt settings
  # for it (a frozen snapshot's Release files may be past their validity).
  cp /etc/resolv.conf "$chroot_root/etc/resolv.conf"
  for conf in /etc/apt/apt.conf.d/*; do
    grep -q 'Check-Valid-Until\|Check-Date' "$conf" 2>/dev/null && cp "$conf" "$chroot_root/etc/apt/apt.conf.d/"
  done
  if [ "$release" = bookworm ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
    rm -f "$chroot_root/etc/apt/sources.list"
    cp /etc/apt/sources.list.d/debian.sources "$chroot_root/etc/apt/sources.list.d/"
  fi

  # It trusts the certificate authorities this machine adds to Debian's
  # (a proxy's, say), and npm there finds them as npm here does.
  if compgen -G "/usr/local/share/ca-certificates/*" >/dev/null; then
    mkdir -p "$chroot_root/usr/local/share/ca-certificates"
    cp -r /usr/local/share/ca-certificates/. "$chroot_root/usr/local/share/ca-certificates/"
  fi
  [ -f /etc/npmrc ] && cp /etc/npmrc "$chroot_root/etc/npmrc"

  chroot_bind proc "$chroot_root/proc" -t proc
  chroot_bind sysfs "$chroot_root/sys" -t sysfs
  chroot_bind /dev "$chroot_root/dev" --bind
  chroot_bind devpts "$chroot_root/dev/pts" -t devpts -o newinstance,ptmxmode=0666
  chroot_bind tmpfs "$chroot_root/dev/shm" -t tmpfs
  # apt's downloads go to the cache, and stay there for the next chroot.
  chroot_bind "$chroot_cache/$release/apt" "$chroot_root/var/cache/apt/archives" --bind
  mkdir -p "$chroot_cache/$release/apt/partial"

  step "copying the committed project into /root/TransMirtavQuelmar"
  git -C "$project" archive --prefix=TransMirtavQuelmar/ HEAD | tar -x -C "$chroot_root/root"
}

in_chroot() {
  chroot "$chroot_root" /usr/bin/env -i HOME=/root TERM=dumb PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 "$@"
}
