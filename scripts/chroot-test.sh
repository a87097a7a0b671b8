#!/usr/bin/env bash
# Builds the committed project and runs its ordinary tests (ctest, without
# the sanitizer build and the Windows part) in a fresh minimal chroot of
# another Debian release, trixie by default. CI runs it after ./test, so
# that every change is built and tested on Debian 12 and Debian 13 alike.
# Where no chroot can be made here (not root, no Debian archive within
# reach), it says so in one line and ends without failing.
#
#   scripts/chroot-test.sh [RELEASE] [CHROOT_FOLDER]
set -euo pipefail

release=${1:-trixie}
root=${2:-/var/tmp/tmq-chroot-$release}

# shellcheck source=scripts/debian-chroot.sh
source "$(dirname "$0")/debian-chroot.sh"

why=$(chroot_unavailable "$release")
if [ -n "$why" ]; then
  echo "Se omiten las pruebas en Debian $release: $why"
  exit 0
fi

trap chroot_cleanup EXIT
chroot_create "$release" "$root"

step "set-up, build and ordinary tests in the $release chroot"
in_chroot /bin/sh -c 'cd /root/TransMirtavQuelmar && bash scripts/setup.sh && make --no-print-directory test-ordinary' \
  2>&1 | tee "$root.test.log" | grep -v '^\(Get\|Preparing\|Unpacking\|Selecting\|Setting up\|Processing\|\[ *[0-9]*%\]\)'
exit "${PIPESTATUS[0]}"
