#!/usr/bin/env bash
# Drives the Windows window under Wine on a virtual display, the way a user
# would: Enter at start, Alt+S, Escape, a click on Aceptar, the file dialog
# cancelled and the information box that follows. Screenshots of the window,
# the file dialog and the box are kept in the artefact folder.
#
# Usage: window-test.sh WINDOW.EXE ARTEFACT_FOLDER
set -euo pipefail

exe=$(realpath "$1")
artefacts=$(mkdir -p "$2" && realpath "$2")
rm -f "$artefacts"/*.png
caption='^Exportar e importar datos entre Mirtavel y Quelmar $'
# The title the program derives from its executable's name.
name=$(basename "$exe")
name=${name%%.*}
title="${name:0:1}$(tr '[:upper:]' '[:lower:]' <<<"${name:1}")"

root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  tmq_wine_stop 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FALLO: $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$artefacts/failure.png" 2>/dev/null
  exit 1
}

# shellcheck source=../support/display.sh
source "$root/tests/support/display.sh"
tmq_display_start "$work"

# A fresh prefix and one wineserver for the whole run, on this display.
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
tmq_wine_start "$work"
trap cleanup EXIT

# The folder the file dialog opens first, with a document to choose.
mkdir -p "$WINEPREFIX/drive_c/MTEMP/XML"
cp "$root/examples/centro.xml" "$WINEPREFIX/drive_c/MTEMP/XML/centro.xml"

# Waits for the program to end and checks that it ended normally.
wait_for_exit() {
  wait_for_end "$1"
  [ "$status" -eq 0 ] || fail "$1: el programa termina con $status"
}

# Keys go to the focused window; with no window manager that is the one
# under the pointer.
point_at() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
}

start() {
  "$TMQ_WINE" "$exe" >"$work/app.log" 2>&1 </dev/null &
  app=$!
  window=$(wait_for_window "$caption") || fail "$1: la ventana no aparece"
  point_at "$window"
}

screenshot() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$artefacts/$2"
}

# Checks a pixel of the client area in the window's screenshot against a
# colour, allowing for the rounding of the blend.
pixel_near() {
  local png=$1 x=$2 y=$3 want=$4 got
  got=$(convert "$png" -format \
    "%[fx:round(255*p{$((clientLeft + x)),$((clientTop + y))}.r)] \
%[fx:round(255*p{$((clientLeft + x)),$((clientTop + y))}.g)] \
%[fx:round(255*p{$((clientLeft + x)),$((clientTop + y))}.b)]" info:)
  read -r r g b <<<"$got"
  local wr=$((16#${want:0:2})) wg=$((16#${want:2:2})) wb=$((16#${want:4:2}))
  for pair in "$r $wr" "$g $wg" "$b $wb"; do
    read -r have expected <<<"$pair"
    local diff=$((have - expected))
    [ ${diff#-} -le 4 ] || fail "el punto ($x, $y) es $got y no #$want"
  done
}

start "Intro al empezar"
screenshot "$window" window.png
# The panels' blends at their top, centre and bottom rows, beside the labels
# and buttons; the upper panels cover the first row of the bottom one.
clientLeft=$(((WIDTH - 632) / 2))
clientTop=$((HEIGHT - 266 - clientLeft))
for column in 3 629; do
  pixel_near "$artefacts/window.png" "$column" 0 FFEEDD
  pixel_near "$artefacts/window.png" "$column" 84 FFFFFF
  pixel_near "$artefacts/window.png" "$column" 168 F9D37D
  pixel_near "$artefacts/window.png" "$column" 169 CCD8E6
  pixel_near "$artefacts/window.png" "$column" 216 CFF2FE
  pixel_near "$artefacts/window.png" "$column" 264 C2CDFE
done
# The version is written in red in the bottom panel's lower left corner.
red=$(convert "$artefacts/window.png" -crop "200x16+$((clientLeft + 8))+$((clientTop + 240))" \
  +repage -fill white -opaque '#FF0000' -fill black +opaque white -format '%[fx:round(mean*w*h)]' info:)
[ "$red" -gt 150 ] || fail "la versión no se ve en rojo ($red puntos rojos)"
echo "ok: paneles con sus colores y la versión en rojo"
xdotool key Return
wait_for_exit "Intro al empezar"
echo "ok: Intro al empezar pulsa Salir"

start "Alt+S"
xdotool key alt+s
wait_for_exit "Alt+S"
echo "ok: Alt+S pulsa Salir"

# Escape must leave the window open: the click after it still reaches the
# window and opens the file dialog.
WINEDEBUG=-all,trace+msgbox start "Escape"
xdotool key Escape
eval "$(xdotool getwindowgeometry --shell "$window")"
# The frame is as wide on every side but the top, which also holds the caption.
border=$(((WIDTH - 632) / 2))
captionHeight=$((HEIGHT - 266 - 2 * border))
# The middle of BExportar in the client area.
xdotool mousemove $((X + border + 1 + 96 + 44)) $((Y + border + captionHeight + 120 + 12)) click 1
dialog=$(wait_for_window '^Archivo XML$') || fail "Aceptar no abre el diálogo Archivo XML"
echo "ok: Escape no hace nada; Aceptar abre Archivo XML"
screenshot "$dialog" file-dialog.png

point_at "$dialog"
xdotool key Escape
box=$(wait_for_window "^${title}\$") || fail "al cancelar no aparece un mensaje titulado $title"
grep -q 'MSGBOX_OnInit L"No existe archivo"' "$work/app.log" ||
  fail "el mensaje no dice \"No existe archivo\""
screenshot "$box" message.png
echo "ok: cancelar sin archivo elegido muestra \"No existe archivo\" titulado $title"

# Presses the keys that open the dialog, chooses `file` there and waits for
# the box that ends the command.
choose_and_wait() {
  point_at "$window"
  xdotool key $3
  dialog=$(wait_for_window '^Archivo XML$') || fail "$2: no se abre el diálogo"
  point_at "$dialog"
  xdotool type --delay 20 "$1"
  xdotool key Return
  box=$(wait_for_window "^${title}\$") || fail "$2: no aparece el mensaje"
}

close_box() {
  point_at "$box"
  xdotool key Return
  wait_until_gone "^${title}\$" || fail "Intro no cierra el mensaje"
}

close_box
# The focus stayed on BExportar: Enter exports the chosen document.
choose_and_wait centro.xml "exportar" Return
grep -q 'MSGBOX_OnInit L"Proceso finalizado"' "$work/app.log" || fail "exportar no termina bien"
for table in ASIGNOMT PROFT AULAT GRUPOST ASIGT DIASHORAST; do
  [ -f "$WINEPREFIX/drive_c/MTEMP/$table.DBF" ] || fail "exportar no escribe $table.DBF"
done
echo "ok: exportar desde la ventana escribe las tablas y dice \"Proceso finalizado\""
close_box

# From BExportar four steps of Tab reach BImportar (BImportar, BClose,
# BExportar, BImportar), and Space presses it. The import finds no timetable
# table in the working folder: the error report names it.
choose_and_wait centro.xml "importar" "Tab Tab Tab Tab space"
grep -q 'MSGBOX_OnInit L".*SOLUC\.DBF' "$work/app.log" ||
  fail "el informe de error no nombra la tabla SOLUC"
screenshot "$box" error.png
echo "ok: Tab lleva a BImportar, Espacio lo pulsa y su error se informa nombrando SOLUC"
close_box

point_at "$window"
xdotool key alt+s
wait_for_exit "Alt+S tras los mensajes"
