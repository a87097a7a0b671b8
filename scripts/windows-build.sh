#!/usr/bin/env bash
# Cross-builds the Windows programs into build-windows/ (or $WINDOWS_DIR) and
# packs them with the Spanish readme and the third-party notices into a zip,
# a setup program and an MSI package beside them. The libraries come from
# scripts/windows-deps.sh, built once. Given target names, it builds only
# those (the tests do so) and packs nothing.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${WINDOWS_DIR:-$root/build-windows}"
jobs="${JOBS:-2}"
targets=("$@")

bash "$root/scripts/windows-deps.sh"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null

if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$build" -j "$jobs" --target "${targets[@]}"
  exit 0
fi
cmake --build "$build" -j "$jobs" --target transmirtavquelmar-cli
programs=(transmirtavquelmar-cli.exe)
if [ -n "$(ls "$root"/win32/*.cpp 2>/dev/null)" ]; then
  cmake --build "$build" -j "$jobs" --target TransMirtavQuelmar transmirtavquelmar-horario
  programs=(TransMirtavQuelmar.exe transmirtavquelmar-horario.exe "${programs[@]}")
fi

# Each program must run with nothing beside it but Windows' own libraries.
for program in "${programs[@]}"; do
  extra="$(x86_64-w64-mingw32-objdump -p "$build/$program" | sed -n 's/^\s*DLL Name: //p' |
    grep -viE '^(kernel32|user32|gdi32|comdlg32|comctl32|msimg32|shell32|advapi32|ole32|msvcrt|ws2_32|bcrypt|shlwapi|uxtheme)\.dll$' || true)"
  if [ -n "$extra" ]; then
    echo "$program necesita bibliotecas que Windows no trae: $extra" >&2
    exit 1
  fi
done

# The zip, the setup program and the MSI package, each file dated by the
# last commit, and SHA256SUMS of them and of the programs.
cmake --build "$build" -j "$jobs" --target windows_packages
version="$(sed -n 's/^project(TransMirtavQuelmar VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
for output in "TransMirtavQuelmar-$version-windows.zip" "TransMirtavQuelmar-$version-setup.exe" \
  "TransMirtavQuelmar-$version.msi" SHA256SUMS; do
  echo "$build/$output"
done
