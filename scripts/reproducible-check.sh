#!/usr/bin/env bash
# Shows that a published binary was built from the published sources: builds
# one commit twice, in two fresh clones in two different folders, and
# compares what they give byte for byte: the Debian package, the three Windows
# programs, the zip, the setup program, the MSI package and SHA256SUMS.
# The second build runs with another umask and another time zone. Not part
# of `make test`: it builds everything twice (20 to 40 minutes on two cores).
#
# Usage: reproducible-check.sh [COMMIT] [WORK_FOLDER]
#   COMMIT       what to build (default HEAD; only committed work is built)
#   WORK_FOLDER  where the clones go (default a new folder in /var/tmp)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
commit="$(git -C "$root" rev-parse --verify "${1:-HEAD}^{commit}")"
work="${2:-$(mktemp -d /var/tmp/tmq-reproducible.XXXXXX)}"
jobs="${JOBS:-2}"
mkdir -p "$work"
work="$(cd "$work" && pwd)"

bash "$root/scripts/setup.sh"
# A compiler cache would hand the second build the first one's objects.
export CCACHE_DISABLE=1
version="$(git -C "$root" show "$commit:CMakeLists.txt" |
  sed -n 's/^project(TransMirtavQuelmar VERSION \([0-9.]*\).*/\1/p')"

# One build, as `make package` and `make windows` make them (the tests
# aside, which go into neither), its output in FOLDER.log. Debian's source packages already
# downloaded here are handed over, so the clone need not fetch them again;
# the libraries are built anew from them.
build_in() { # folder
  local clone="$1"
  rm -rf "$clone"
  git clone -q --no-local "$root" "$clone"
  git -C "$clone" -c advice.detachedHead=false checkout -q "$commit"
  mkdir -p "$clone/.deps-windows/src"
  find "$root/.deps-windows/src" -maxdepth 1 -type f \( -name '*.dsc' -o -name '*.tar.*' \) \
    -exec cp {} "$clone/.deps-windows/src/" \; 2>/dev/null || true
  if ! (
    cd "$clone"
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTMQ_BUILD_TESTS=OFF
    cmake --build build -j "$jobs"
    (cd build && umask 022 && cpack -G DEB)
    WINDOWS_DIR="$clone/build-windows" JOBS="$jobs" bash scripts/windows-build.sh
  ) >"$clone.log" 2>&1; then
    tail -20 "$clone.log"
    echo "La construcción en $clone falló (todo en $clone.log)" >&2
    exit 1
  fi
}

started=$(date +%s)
echo "Primera construcción de ${commit:0:12} en $work/a"
(umask 0022 && export TZ=UTC && build_in "$work/a")
echo "Segunda construcción en $work/otra-carpeta/b (umask 0002, hora de Auckland)"
(umask 0002 && export TZ=Pacific/Auckland && build_in "$work/otra-carpeta/b")

# The package's file name carries the release it is built on (~deb12, ~deb13).
deb=$(cd "$work/a" && echo build/transmirtavquelmar_"${version}"~*_amd64.deb)
outputs=(
  "$deb"
  build-windows/TransMirtavQuelmar.exe
  build-windows/transmirtavquelmar-cli.exe
  build-windows/transmirtavquelmar-horario.exe
  "build-windows/TransMirtavQuelmar-$version-windows.zip"
  "build-windows/TransMirtavQuelmar-$version-setup.exe"
  "build-windows/TransMirtavQuelmar-$version.msi"
  build-windows/SHA256SUMS
)
different=0
for output in "${outputs[@]}"; do
  a="$work/a/$output"
  b="$work/otra-carpeta/b/$output"
  if [ ! -f "$a" ] || [ ! -f "$b" ]; then
    echo "FALTA     $output"
    different=$((different + 1))
  elif cmp -s "$a" "$b"; then
    echo "IGUAL     $output  $(sha256sum "$a" | cut -c1-16)"
  else
    echo "DIFIERE   $output  ($(cmp "$a" "$b" | sed 's/.*: //'))"
    different=$((different + 1))
  fi
done
echo "Comprobación en $(($(date +%s) - started)) s: $different de ${#outputs[@]} distintos"
[ "$different" = 0 ]
