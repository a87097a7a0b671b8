#!/usr/bin/env bash
# The MSI package under Wine's msiexec, in a fresh prefix of its own: refused
# where the setup program already installed the program; a silent install
# of the files, the notices, the Start-menu shortcuts and one entry in the
# list of installed programs; the installed command line exporting the sample
# school into C:\MTEMP; an upgrade to a newer version, built here, that
# replaces the first; an older version refused; and a silent uninstall that
# removes everything of ours and nothing else: not C:\MTEMP with its tables,
# not a document a user left in the program's folder.
#
# Usage: msi-test.sh WINDOWS_BUILD_DIR EXAMPLES_DIR
set -euo pipefail

build="$(realpath "$1")"
examples="$(realpath "$2")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
version="$(sed -n 's/^project(TransMirtavQuelmar VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
msi="$build/TransMirtavQuelmar-$version.msi"
# Windows Installer's versions have three numbers; the newer one, built
# here, has the third one more.
IFS=. read -r major minor patch <<<"$version"
msi_version="$major.$minor.${patch:-0}"
newer="$major.$minor.$((${patch:-0} + 1))"
[ -f "$msi" ] || { echo "FALLO: no existe $msi" >&2; exit 1; }

# shellcheck source=tests/windows-package/package-test-env.sh
source "$root/tests/windows-package/package-test-env.sh"

msiexec() { # /i or /x, package, expected exit code (modulo 256)
  local code=0
  wine msiexec "$1" "$(tmq_wine_path "$2")" /qn || code=$?
  [ "$code" = "$3" ] || fail "msiexec $1 $(basename "$2") terminó con $code, no con $3"
}

uninstall_keys='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# Prints "VERSION PUBLISHER" for every entry of ours in the list of
# installed programs, one line each.
entries() {
  wine reg query "$uninstall_keys" /s 2>/dev/null | tr -d '\r' | awk '
    /^HKEY/ { if (ours) print version, publisher; ours = 0; version = ""; publisher = "" }
    $1 == "DisplayName" && $3 == "TransMirtavQuelmar" { ours = 1 }
    $1 == "DisplayVersion" { version = $3 }
    $1 == "Publisher" { publisher = $3 }
    END { if (ours) print version, publisher }'
}

programs="$drive_c/Program Files/TransMirtavQuelmar"

mkdir -p "$drive_c/MTEMP"
printf 'mesa de horarios' >"$drive_c/MTEMP/SOLUC.DBF"
before="$(list_files)"

# Where the setup program installed TransMirtavQuelmar, the package refuses.
setup_key="$uninstall_keys\\TransMirtavQuelmar"
wine reg add "$setup_key" /v UninstallString /d 'C:\x\desinstalar.exe' /f >/dev/null 2>&1
msiexec /i "$msi" 67
[ ! -e "$programs" ] || fail "el paquete se instaló sobre la instalación del setup"
wine reg delete "$setup_key" /f >/dev/null 2>&1

msiexec /i "$msi" 0
for f in TransMirtavQuelmar.exe transmirtavquelmar-cli.exe transmirtavquelmar-horario.exe LEEME.txt \
  AVISOS-TERCEROS.txt; do
  [ -s "$programs/$f" ] || fail "falta $f en Program Files"
done
for notice in "Daniel Veillard" "Frank Warmerdam" "winpthreads" "GCC RUNTIME LIBRARY EXCEPTION"; do
  grep -q "$notice" "$programs/AVISOS-TERCEROS.txt" || fail "AVISOS-TERCEROS.txt no menciona $notice"
done
# The package puts its shortcuts in the Start menu for all users
# (ProgramData); Wine's msiexec takes the current user's menu for that folder.
menu="$(find "$drive_c/ProgramData" "$drive_c/users" -type d \
  -path '*/Start Menu/Programs/TransMirtavQuelmar' | head -1)"
[ -n "$menu" ] || fail "falta la carpeta TransMirtavQuelmar del menú Inicio"
grep -aqF 'C:\Program Files\TransMirtavQuelmar\TransMirtavQuelmar.exe' "$menu/TransMirtavQuelmar.lnk" ||
  fail "falta el acceso directo a la ventana"
grep -aqF 'C:\Program Files\TransMirtavQuelmar\transmirtavquelmar-horario.exe' \
  "$menu/Ver horario de Mirtavel.lnk" || fail "falta el acceso directo Ver horario de Mirtavel"
grep -aqF 'C:\Program Files\TransMirtavQuelmar\LEEME.txt' "$menu/Léame.lnk" ||
  fail "falta el acceso directo al léame"
[ "$(entries)" = "$msi_version TransMirtavQuelmar" ] ||
  fail "la lista de programas instalados tiene: $(entries)"
# The mark by which the setup program knows of this install.
wine reg query 'HKLM\Software\TransMirtavQuelmar' /v PaqueteMSI >/dev/null 2>&1 ||
  fail "falta HKLM\Software\TransMirtavQuelmar PaqueteMSI"

# The installed command line exports the sample school into C:\MTEMP.
installed_cli_exports_sample "$examples"

# A newer version, from the same files, replaces the installed one.
python3 "$root/packaging/windows/build_msi.py" "$root/packaging/windows/installer.wxs" "$newer" \
  "$build/programa" "$root/packaging/icon/transmirtavquelmar.ico" "$(date +%s)" "$work/newer.msi"
printf '<resultado/>' >"$programs/ResultadoMirtavmio.xml"
msiexec /i "$work/newer.msi" 0
[ "$(entries)" = "$newer TransMirtavQuelmar" ] || fail "tras actualizar, la lista tiene: $(entries)"
[ -s "$programs/transmirtavquelmar-cli.exe" ] || fail "la actualización quitó el programa"
# An older version than the installed one is refused.
msiexec /i "$msi" 67
[ "$(entries)" = "$newer TransMirtavQuelmar" ] || fail "la versión anterior se instaló: $(entries)"

msiexec /x "$work/newer.msi" 0
[ -z "$(entries)" ] || fail "la entrada sigue en la lista de programas instalados: $(entries)"
[ "$(cd "$drive_c/MTEMP" && md5sum ./* | LC_ALL=C sort)" = "$mtemp_sums" ] ||
  fail "la desinstalación cambió C:\\MTEMP"
[ "$(ls -A "$programs")" = "ResultadoMirtavmio.xml" ] ||
  fail "la carpeta del programa guarda, tras desinstalar: $(ls -A "$programs")"
rm "$programs/ResultadoMirtavmio.xml"
rmdir "$programs"
wine reg query 'HKLM\Software\TransMirtavQuelmar' >/dev/null 2>&1 &&
  fail "queda la clave HKLM\\Software\\TransMirtavQuelmar"
after="$(list_files)"
[ "$after" = "$before" ] || fail "la desinstalación no dejó los archivos como estaban:
$(diff <(echo "$before") <(echo "$after") || true)"
echo "paquete MSI: instalación, actualización y desinstalación correctas"
