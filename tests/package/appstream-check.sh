#!/usr/bin/env bash
# Installs the build into an empty folder as `cmake --install` does and
# validates the AppStream metadata there without the network: the file
# itself, and the tree, where its launchable must find the desktop entry.
#
#   appstream-check.sh BUILD_DIR
set -euo pipefail

build=$1
if ! command -v appstreamcli >/dev/null; then
  echo "omitida: hace falta appstreamcli (paquete appstream; scripts/setup.sh lo instala)"
  exit 77
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null

metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || { echo "FALLO: no se instaló ningún .metainfo.xml" >&2; exit 1; }
appstreamcli validate --no-net "${metainfo[@]}"
appstreamcli validate-tree --no-net "$root"
