#!/usr/bin/env bash
# The Windows setup program under Wine, in a fresh prefix of its own:
# refused where the MSI package installed the program; a silent install, the
# installed command line exporting the sample school into C:\MTEMP, the
# Start-menu shortcuts and the entry in the list of installed programs, an
# install into another folder that replaces the first without a second
# entry, and a silent uninstall that removes every file, shortcut and
# registry value of ours and nothing else: not C:\MTEMP with its tables, not
# a document a user left in the program's folder.
#
# Usage: installer-test.sh SETUP_EXE EXAMPLES_DIR
set -euo pipefail

setup_exe="$(realpath "$1")"
examples="$(realpath "$2")"
root="$(cd "$(dirname "$0")/../.." && pwd)"

# shellcheck source=tests/windows-package/package-test-env.sh
source "$root/tests/windows-package/package-test-env.sh"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TransMirtavQuelmar'

# Prints the value NAME of our entry in the list of installed programs as
# "reg query" shows it ("REG_SZ    text", "REG_DWORD    0x1f"); fails when
# it is missing. Wine's reg now and then prints nothing for a value that is there: such an
# answer is asked again, while "not found" (exit 1) is taken at once.
registry_value() {
  local output status value
  for _ in 1 2 3 4 5; do
    status=0
    output="$(wine reg query "$uninstall_key" /v "$1" 2>/dev/null)" || status=$?
    [ "$status" = 1 ] && return 1
    value="$(tr -d '\r' <<<"$output" | sed -n "s/^ *$1 *//p")"
    if [ "$status" = 0 ] && [ -n "$value" ]; then
      echo "$value"
      return 0
    fi
    sleep 1
  done
  return 1
}

programs="$drive_c/Program Files/TransMirtavQuelmar"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/TransMirtavQuelmar"

# The timetable program's working folder, with a timetable and an older
# result document in it.
mkdir -p "$drive_c/MTEMP"
printf 'mesa de horarios' >"$drive_c/MTEMP/SOLUC.DBF"
printf '<resultado/>' >"$drive_c/MTEMP/ResultadoMirtavcentro.xml"
before="$(list_files)"

# Where the MSI package installed TransMirtavQuelmar, the setup refuses.
wine reg add 'HKLM\Software\TransMirtavQuelmar' /v PaqueteMSI /t REG_DWORD /d 1 /f >/dev/null 2>&1
if wine "$setup_exe" /S; then
  fail "el setup se instaló sobre la instalación del paquete MSI"
fi
[ ! -e "$programs" ] || fail "el setup dejó archivos sobre la instalación del paquete MSI"
wine reg delete 'HKLM\Software\TransMirtavQuelmar' /f >/dev/null 2>&1

wine "$setup_exe" /S || fail "la instalación terminó con $?"

for f in TransMirtavQuelmar.exe transmirtavquelmar-cli.exe transmirtavquelmar-horario.exe LEEME.txt \
  AVISOS-TERCEROS.txt desinstalar.exe; do
  [ -s "$programs/$f" ] || fail "falta $f en Program Files"
done
grep -aqF 'C:\Program Files\TransMirtavQuelmar\TransMirtavQuelmar.exe' "$menu/TransMirtavQuelmar.lnk" ||
  fail "falta el acceso directo a la ventana"
grep -aqF 'C:\Program Files\TransMirtavQuelmar\LEEME.txt' "$menu/Léame.lnk" ||
  fail "falta el acceso directo al léame"
grep -aqF 'C:\Program Files\TransMirtavQuelmar\transmirtavquelmar-horario.exe' \
  "$menu/Ver horario de Mirtavel.lnk" || fail "falta el acceso directo Ver horario de Mirtavel"

[ "$(registry_value DisplayName)" = "REG_SZ    TransMirtavQuelmar" ] || fail "DisplayName"
registry_value DisplayVersion | grep -q '^REG_SZ    [0-9]' || fail "DisplayVersion"
registry_value Publisher | grep -q '^REG_SZ    .' || fail "Publisher"
[ "$(registry_value DisplayIcon)" = 'REG_SZ    C:\Program Files\TransMirtavQuelmar\TransMirtavQuelmar.exe,0' ] ||
  fail "DisplayIcon"
[ "$(registry_value UninstallString)" = 'REG_SZ    "C:\Program Files\TransMirtavQuelmar\desinstalar.exe"' ] ||
  fail "UninstallString"
[ "$(registry_value QuietUninstallString)" = 'REG_SZ    "C:\Program Files\TransMirtavQuelmar\desinstalar.exe" /S' ] ||
  fail "QuietUninstallString"
size="$(registry_value EstimatedSize | sed -n 's/^REG_DWORD    //p')"
[ $((size)) -gt 0 ] || fail "EstimatedSize"
[ "$(registry_value NoModify)" = "REG_DWORD    0x1" ] || fail "NoModify"
[ "$(registry_value NoRepair)" = "REG_DWORD    0x1" ] || fail "NoRepair"

# The installed command line exports the sample school into C:\MTEMP.
installed_cli_exports_sample "$examples"

# Installing again into another folder takes the first install's place: one
# entry in the list, nothing left in the first folder.
wine "$setup_exe" /S '/D=C:\Otra\TransMirtavQuelmar' || fail "la segunda instalación terminó con $?"
[ ! -e "$programs" ] || fail "la instalación anterior quedó en Program Files"
programs="$drive_c/Otra/TransMirtavQuelmar"
[ -s "$programs/transmirtavquelmar-cli.exe" ] || fail "la segunda instalación no dejó el programa"
[ "$(registry_value InstallLocation)" = 'REG_SZ    C:\Otra\TransMirtavQuelmar' ] || fail "InstallLocation"
entries="$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
  tr -d '\r' | grep -c 'DisplayName *REG_SZ *TransMirtavQuelmar$' || true)"
[ "$entries" -eq 1 ] || fail "$entries entradas en la lista de programas instalados"
grep -aqF 'C:\Otra\TransMirtavQuelmar\TransMirtavQuelmar.exe' "$menu/TransMirtavQuelmar.lnk" ||
  fail "el acceso directo no lleva a la segunda instalación"

# A document the user saved beside the program.
printf '<resultado/>' >"$programs/ResultadoMirtavmio.xml"

# The uninstaller copies itself to the temporary folder, starts the copy and
# returns at once; the copy removes our entry last.
wine 'C:\Otra\TransMirtavQuelmar\desinstalar.exe' /S || fail "la desinstalación terminó con $?"
for _ in $(seq 120); do
  registry_value DisplayName >/dev/null || break
  sleep 0.5
done
if registry_value DisplayName >/dev/null; then
  fail "la entrada sigue en la lista de programas instalados"
fi

[ "$(cd "$drive_c/MTEMP" && md5sum ./* | LC_ALL=C sort)" = "$mtemp_sums" ] ||
  fail "la desinstalación cambió C:\\MTEMP"
[ "$(ls -A "$programs")" = "ResultadoMirtavmio.xml" ] ||
  fail "la carpeta del programa guarda, tras desinstalar: $(ls -A "$programs")"
rm "$programs/ResultadoMirtavmio.xml"
rmdir "$programs" "$drive_c/Otra"
after="$(list_files)"
[ "$after" = "$before" ] || fail "la desinstalación no dejó los archivos como estaban:
$(diff <(echo "$before") <(echo "$after") || true)"
echo "instalación y desinstalación correctas"
