#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the window and the
# tests need and this machine lacks. Safe to run again: it installs nothing
# when everything is present.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  qt6-base-dev
  libxml2-dev
  libshp-dev
  libgtest-dev libgmock-dev
  libbenchmark-dev
  fonts-liberation fonts-wine
  python3 python3-dbfread
  util-linux
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Instalando: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
