#!/usr/bin/env bash
# The Windows build under Wine: the manifest read back from every
# executable; each library's test programs cross-built and run; then the
# command line on the sample cycle (export, a timetable stand-in, import)
# with accented names, its tables compared byte for byte and its result
# element by element with the Linux build's, and its sharing with a second
# Windows process; then the window, driven on a virtual display
# (tests/win32/window-test.sh) and at four scales, with what screen readers
# get of it (tests/win32/window-scales-test.sh); "Ver horario de Mirtavel"
# (tests/win32/launcher-test.sh); and the setup program and the MSI package
# installed and uninstalled, each in a prefix of its own
# (tests/windows-package/installer-test.sh, tests/windows-package/msi-test.sh).
# Usage: windows-test.sh [LINUX_BUILD_FOLDER]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
linux="$(cd "${1:-$root/build}" && pwd)"
build="${WINDOWS_DIR:-$root/build-windows}"
jobs="${JOBS:-2}"
suites=(base_tests tables_tests xml_tests window_tests frame_tests export_tests import_tests page_tests demo_tests)

started=$(date +%s)
WINDOWS_DIR="$build" JOBS="$jobs" bash "$root/scripts/windows-build.sh" \
  "${suites[@]}" transmirtavquelmar-cli tmq_hold_file tmq_window_probe TransMirtavQuelmar \
  transmirtavquelmar-horario installer msi >/dev/null
cmake --build "$linux" -j "$jobs" --target transmirtavquelmar-cli >/dev/null

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
tmq_wine_start "$build"
echo "Wine preparado en $(($(date +%s) - started)) s"

failures=0
fail() {
  echo "FALLO: $*" >&2
  failures=$((failures + 1))
}

# Every executable carries the checked-in manifest, read back from its resources.
/usr/bin/python3 "$root/tests/win32/manifest-test.py" "$root/packaging/windows/program.manifest" \
  "$build/TransMirtavQuelmar.exe" "$build/transmirtavquelmar-cli.exe" \
  "$build/transmirtavquelmar-horario.exe" || fail "el manifiesto"

for suite in "${suites[@]}"; do
  if "$TMQ_WINE" "$build/tests/$suite.exe" --gtest_brief=1 >"$build/tests/$suite.log" 2>&1; then
    echo "$suite: $(grep -E '^\[  PASSED  \]' "$build/tests/$suite.log" | head -1)" \
      "$(grep -E '^\[  SKIPPED \]' "$build/tests/$suite.log" | head -1)"
  else
    cat "$build/tests/$suite.log" >&2
    fail "$suite"
  fi
done

# --- The sample cycle ---------------------------------------------------------

cycle="$build/cycle"
rm -rf "$cycle"
doc="Centro Núñez.xml"
result="ResultadoMirtavCentro Núñez.xml"
folder="Año ñ"
for side in linux windows; do
  mkdir -p "$cycle/$side/$folder"
  cp "$root/examples/centro.xml" "$cycle/$side/$doc"
done
cli="$build/transmirtavquelmar-cli.exe"
win() { tmq_wine_path "$cycle/windows/$1"; }
run_windows() { # expected-exit-code stdout-file command arguments...
  local expected="$1" out="$2"
  shift 2
  local code=0
  "$TMQ_WINE" "$@" >"$out" 2>&1 || code=$?
  if [ "$code" != "$expected" ]; then
    cat "$out" >&2
    fail "$* salió con $code, no con $expected"
  fi
}

"$linux/transmirtavquelmar-cli" export "$cycle/linux/$doc" --dir "$cycle/linux/$folder" >/dev/null
"$linux/transmirtavquelmar-cli" demo-timetable --dir "$cycle/linux/$folder" >/dev/null
run_windows 0 "$cycle/export.out" "$cli" export "$(win "$doc")" --dir "$(win "$folder")"
grep -q "^Proceso finalizado" "$cycle/export.out" || fail "la exportación no dijo 'Proceso finalizado'"

tables=(ASIGNOMT ASIGT AULAT DIASHORAST GRUPOST PROFT)
compare_tables() {
  local t
  for t in "${tables[@]}"; do
    cmp -s "$cycle/linux/$folder/$t.DBF" "$cycle/windows/$folder/$t.DBF" ||
      fail "$t.DBF $1 no es igual byte a byte a la de Linux"
  done
}
compare_tables "exportada"

cp "$cycle/linux/$folder/SOLUC.DBF" "$cycle/windows/$folder/"
"$linux/transmirtavquelmar-cli" import "$cycle/linux/$doc" --dir "$cycle/linux/$folder" >/dev/null
run_windows 0 "$cycle/import.out" "$cli" import "$(win "$doc")" --dir "$(win "$folder")"
grep -q "^Proceso Terminado" "$cycle/import.out" || fail "la importación no dijo 'Proceso Terminado'"
compare_tables "tras la importación"

python3 - "$cycle/linux/$result" "$cycle/windows/$result" <<'PY' || fail "el resultado no es igual elemento a elemento"
import sys
import xml.etree.ElementTree as ET

def walk(a, b, where):
    if a.tag != b.tag or a.attrib != b.attrib or (a.text or "") != (b.text or "") \
            or (a.tail or "") != (b.tail or "") or len(a) != len(b):
        sys.exit(f"difieren en {where}/{a.tag}: {a.tag} {a.attrib} {a.text!r} / "
                 f"{b.tag} {b.attrib} {b.text!r}")
    for i, (x, y) in enumerate(zip(a, b)):
        walk(x, y, f"{where}/{a.tag}[{i}]")

linux, windows = (ET.parse(p).getroot() for p in sys.argv[1:3])
walk(linux, windows, "")
count = sum(1 for _ in linux.iter())
print(f"resultado: {count} elementos iguales")
PY

# --- Sharing with a second Windows process ------------------------------------

hold="$build/tests/tmq_hold_file.exe"
cp "$cycle/windows/$result" "$cycle/result.before"
# A table held open for writing by another program: the import refuses it.
run_windows 2 "$cycle/held-table.out" "$hold" "$(win "$folder/PROFT.DBF")" -- \
  "$cli" import "$(win "$doc")" --dir "$(win "$folder")"
grep -q "está en uso por otro programa" "$cycle/held-table.out" ||
  fail "la tabla retenida por otro programa no se dio por 'en uso'"
# The older result kept open, without sharing deletion, by a viewer: it
# cannot be replaced, and stays whole, with no temporary file beside.
run_windows 2 "$cycle/held-result.out" "$hold" "$(win "$result")" --read-only -- \
  "$cli" import "$(win "$doc")" --dir "$(win "$folder")"
grep -q "otro programa tiene el archivo abierto" "$cycle/held-result.out" ||
  fail "guardar sobre un resultado retenido no dio el error esperado"
cmp -s "$cycle/result.before" "$cycle/windows/$result" || fail "el resultado anterior cambió"
[ "$(ls "$cycle/windows" | wc -l)" = 3 ] || fail "quedaron archivos de más: $(ls "$cycle/windows")"
run_windows 1 "$cycle/missing.out" "$cli" export "$(win "no existe.xml")" --dir "$(win "$folder")"
grep -q "^No existe archivo" "$cycle/missing.out" || fail "falta 'No existe archivo'"

# On a terminal Wine gives the program a console, written to with
# WriteConsoleW: the accents must arrive as such.
timeout 60 script -qec "'$TMQ_WINE' '$cli' --help" /dev/null </dev/null >"$cycle/console.out" 2>&1 || true
grep -q "Lee los catálogos" "$cycle/console.out" || fail "la ayuda en la consola no llegó bien"

tmq_wine_stop

# --- The window, on a virtual display -------------------------------------------

if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v convert >/dev/null; then
  bash "$root/tests/win32/window-test.sh" "$build/TransMirtavQuelmar.exe" "$build/window-test" ||
    fail "la ventana (capturas en $build/window-test)"
  bash "$root/tests/win32/window-scales-test.sh" "$build/TransMirtavQuelmar.exe" \
    "$build/tests/tmq_window_probe.exe" "$build/window-test/scales" ||
    fail "la ventana a 96, 120, 144 y 192 ppp (capturas en $build/window-test/scales)"
  bash "$root/tests/win32/launcher-test.sh" "$build/transmirtavquelmar-horario.exe" "$cli" \
    "$linux/transmirtavquelmar-cli" "$build/window-test" ||
    fail "Ver horario de Mirtavel (capturas en $build/window-test)"
else
  echo "Sin Xvfb, xdotool o ImageMagick: se omite la prueba de la ventana"
fi

# --- The setup program, in a prefix of its own --------------------------------

version="$(sed -n 's/^project(TransMirtavQuelmar VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
installer_started=$(date +%s)
if bash "$root/tests/windows-package/installer-test.sh" "$build/TransMirtavQuelmar-$version-setup.exe" \
  "$root/examples"; then
  echo "instalador: $(($(date +%s) - installer_started)) s"
else
  fail "el instalador"
fi
msi_started=$(date +%s)
if bash "$root/tests/windows-package/msi-test.sh" "$build" "$root/examples"; then
  echo "paquete MSI: $(($(date +%s) - msi_started)) s"
else
  fail "el paquete MSI"
fi

echo "Windows bajo Wine: $(($(date +%s) - started)) s, $failures fallos"
[ "$failures" = 0 ]
