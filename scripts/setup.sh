#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the window and the
# tests need and this machine lacks. Safe to run again: it installs nothing
# when everything is present.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-translations-l10n
  libxml2-dev
  libshp-dev
  libgtest-dev libgmock-dev
  libxml2-utils python3-lxml
  fonts-liberation fonts-wine
  python3 python3-dbfread
  util-linux
  locales
  # Windows build (make windows) and its tests under Wine: the cross
  # compiler, what fetches and unpacks Debian's sources, GoogleTest's sources.
  g++-mingw-w64-x86-64-posix dpkg-dev xz-utils patch zip googletest
  # The Windows setup program and the MSI package (wixl).
  nsis wixl msitools faketime
  wine wine64 fonts-wine xvfb xdotool
  # The window's test under Wine: screenshots and their colours.
  imagemagick
  # The Debian package (make package): dpkg-shlibdeps and what it needs;
  # lintian and appstreamcli check the package and its metadata.
  file lintian appstream
  # The window read as a screen reader reads it: AT-SPI on a private session bus.
  python3-pyatspi at-spi2-core dbus-daemon
  # The timetable page's test in a real browser: Chromium, its DevTools
  # protocol from Python, the printed PDF's pages, an HTML parser.
  chromium python3-websocket poppler-utils python3-html5lib
)
# npm fetches axe-core for the page's check in the browser (below); a
# machine with its own Node.js and npm keeps them.
if ! command -v npm >/dev/null 2>&1; then
  packages+=(npm)
fi
# `make fuzz` builds with clang and libFuzzer; nothing else needs them.
# Each release ships its own clang: 14 in Debian 12, 19 in Debian 13.
if [ "${1:-}" = fuzz ]; then
  clang=19
  grep -q '^VERSION_CODENAME=bookworm' /etc/os-release 2>/dev/null && clang=14
  packages+=("clang-$clang" "libclang-rt-$clang-dev" "libfuzzer-$clang-dev")
fi
# scripts/layers-graph.sh draws the layers with Graphviz.
if [ "${1:-}" = graph ]; then
  packages+=(graphviz)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# Root installs by itself; another user through sudo, when there is one.
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
  if ! command -v sudo >/dev/null 2>&1; then
    sudo="no_sudo"
  fi
fi
no_sudo() {
  echo "Faltan paquetes de Debian o la configuración regional es_ES.UTF-8, y sin" \
    "sudo solo root puede instalarlos: ejecute la orden como root." >&2
  exit 1
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Instalando: ${missing[*]}"
  # env passes the setting through sudo, which clears the environment.
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    -o DPkg::Lock::Timeout=900 "${missing[@]}"
fi

# The tests check that numbers stay right under a Spanish locale, which
# writes decimal commas; make sure one exists.
if ! locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$'; then
  $sudo localedef -i es_ES -f UTF-8 es_ES.UTF-8
fi

# axe-core checks the timetable page in the browser test. Debian does not
# ship it: npm installs it into build-tools/, which git ignores.
tools="$(cd "$(dirname "$0")/.." && pwd)/build-tools"
if [ ! -f "$tools/node_modules/axe-core/axe.min.js" ]; then
  if ! command -v npm >/dev/null 2>&1; then
    echo "Falta npm, que instala axe-core para la prueba de la página en el navegador." >&2
    exit 1
  fi
  mkdir -p "$tools"
  npm install --prefix "$tools" --no-save --no-audit --no-fund axe-core@4.14
fi
