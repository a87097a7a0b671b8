#!/usr/bin/env bash
# The desktop entry's action "Ver horario de Mirtavel" on a virtual display,
# started the way the menu starts it, by the action's Exec line: without a
# working folder it shows the command line's error, word for word, in a box
# titled "Ver horario de Mirtavel" that Enter closes; with the tables there
# it writes HorarioMirtavel.html into the temporary folder and hands it to
# xdg-open, here a stand-in that notes what it was given. Exits with 77
# where there is no Xvfb or xdotool.
#
# Usage: launcher-test.sh LAUNCHER CLI DESKTOP_FILE
set -euo pipefail

launcher=$(realpath "$1")
cli=$(realpath "$2")
desktop=$(realpath "$3")
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
  echo "Sin Xvfb o xdotool: se omite"
  exit 77
fi

work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FALLO: $*" >&2
  exit 1
}

# The action as the desktop file declares it.
action=$(sed -n '/^\[Desktop Action ver-horario\]/,/^\[/p' "$desktop")
grep -qx 'Actions=ver-horario;' "$desktop" || fail "la entrada no declara la acción ver-horario"
grep -qx 'Name\[es\]=Ver horario de Mirtavel' <<<"$action" || fail "la acción no se llama así"
exec_line=$(sed -n 's/^Exec=//p' <<<"$action")
[ "$exec_line" = "$(basename "$launcher")" ] || fail "la acción ejecuta «$exec_line»"

# The programs by their installed names, and xdg-open's stand-in.
mkdir -p "$work/bin" "$work/home" "$work/tmp"
ln -s "$launcher" "$work/bin/$exec_line"
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >>"$work/xdg-open.log"
EOF
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH" HOME="$work/home" TMPDIR="$work/tmp" LC_ALL=C.UTF-8
unset WINEPREFIX QT_QPA_PLATFORM

root="$(cd "$(dirname "$0")/../.." && pwd)"
# shellcheck source=../support/display.sh
source "$root/tests/support/display.sh"
tmq_display_start "$work"

# --- No working folder: the error box ---------------------------------------

expected=$("$cli" report 2>&1 >/dev/null || true)
[ -n "$expected" ] || fail "la línea de órdenes no dio error sin carpeta de trabajo"
$exec_line 2>"$work/launcher.err" &
app=$!
box=$(wait_for_window '^Ver horario de Mirtavel$') ||
  fail "no aparece el mensaje titulado Ver horario de Mirtavel"
# Qt may add notes of its own after the program's line.
shown=$(head -1 "$work/launcher.err")
[ "$shown" = "$expected" ] || fail "el error dice «$shown» y la línea de órdenes «$expected»"
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
xdotool key Return
wait_for_end "el mensaje"
[ "$status" = 1 ] || fail "tras el error sale con $status, no con 1"
echo "ok: sin carpeta de trabajo, el mensaje dice lo mismo que la línea de órdenes e Intro lo cierra"

# --- With the tables: the page, handed to xdg-open ----------------------------

mtemp="$HOME/.wine/drive_c/MTEMP"
mkdir -p "$mtemp"
"$cli" export "$root/examples/centro.xml" --dir "$mtemp" >/dev/null
"$cli" demo-timetable --dir "$mtemp" >/dev/null
$exec_line &
app=$!
wait_for_end "la página"
[ "$status" = 0 ] || fail "con las tablas sale con $status"
grep -q '<h1>Horario de Mirtavel</h1>' "$TMPDIR/HorarioMirtavel.html" ||
  fail "no está la página en la carpeta temporal"
[ "$(cat "$work/xdg-open.log")" = "$TMPDIR/HorarioMirtavel.html" ] ||
  fail "xdg-open recibió «$(cat "$work/xdg-open.log")»"
echo "ok: con las tablas, la página queda en la carpeta temporal y se abre con xdg-open"
