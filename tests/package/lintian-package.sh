#!/usr/bin/env bash
# Builds the Debian package as `make package` does and runs Debian 12's
# lintian on it: any error or warning fails, and every finding is shown.
#
#   lintian-package.sh BUILD_DIR
set -euo pipefail

build=$1
if ! command -v lintian >/dev/null || ! command -v cpack >/dev/null; then
  echo "omitida: hacen falta lintian y cpack (scripts/setup.sh los instala)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FALLO: cpack no pudo hacer el paquete" >&2; exit 1; }
deb=$(echo "$work"/transmirtavquelmar_*.deb)
[ -f "$deb" ] || { echo "FALLO: no hay paquete en $work" >&2; exit 1; }

# Infos are shown; errors and warnings fail.
status=0
lintian --fail-on error,warning --display-level '>=info' "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v 'running with root' "$work/lintian.log" || true
if [ "$status" != 0 ]; then
  echo "FALLO: lintian encontró errores o avisos en $(basename "$deb")" >&2
  exit 1
fi
echo "lintian: $(basename "$deb") sin errores ni avisos"
