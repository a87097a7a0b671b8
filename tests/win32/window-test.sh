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
caption='^Exportar e importar datos entre Mirtavel y Quelmar $'
# The title the program derives from its executable's name.
name=$(basename "$exe")
name=${name%%.*}
title="${name:0:1}$(tr '[:upper:]' '[:lower:]' <<<"${name:1}")"

work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FALLO: $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$artefacts/failure.png" 2>/dev/null
  exit 1
}

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset DISPLAY

# The prefix is made without a display. Wine does not find its own fonts, so
# they are copied where Windows keeps them; with no window manager Wine must
# draw the window frames itself.
wineboot -i >/dev/null 2>&1
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wineserver -w
# The folder the file dialog opens first, with a sound and a broken document.
xmlFolder="$WINEPREFIX/drive_c/MTEMP/XML"
mkdir -p "$xmlFolder"
cp "$(dirname "$0")/../../examples/centro.xml" "$xmlFolder/centro.xml"
printf '<?xml version="1.0"?>\n<SERVICIO>\n' >"$xmlFolder/roto.xml"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "no arranca Xvfb"
export DISPLAY=":$(cat "$work/display")"

# One wineserver for the whole run; the first program also starts Wine's
# services, so it is a throw-away one.
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null

# Prints the id of the visible window whose name matches, once it shows.
wait_for_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

wait_until_gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# Waits for the program to end and checks that it ended normally.
wait_for_exit() {
  for _ in $(seq 300); do
    if ! kill -0 "$app" 2>/dev/null; then
      local status=0
      wait "$app" || status=$?
      app=""
      [ "$status" -eq 0 ] || fail "$1: el programa termina con $status"
      return 0
    fi
    sleep 0.1
  done
  fail "$1: la ventana no se cierra"
}

# Keys go to the focused window; with no window manager that is the one
# under the pointer.
point_at() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
}

start() {
  wine "$exe" >"$work/app.log" 2>&1 </dev/null &
  app=$!
  window=$(wait_for_window "$caption") || fail "$1: la ventana no aparece"
  point_at "$window"
}

screenshot() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$artefacts/$2"
}

start "Intro al empezar"
screenshot "$window" window.png
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

# Chooses `file` in the dialog the focused button opens and waits for the
# box that ends the command.
choose_and_wait() {
  point_at "$window"
  xdotool key Return
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
choose_and_wait centro.xml "exportar"
grep -q 'MSGBOX_OnInit L"Proceso finalizado"' "$work/app.log" || fail "exportar no termina bien"
for table in ASIGNOMT PROFT AULAT GRUPOST ASIGT DIASHORAST; do
  [ -f "$WINEPREFIX/drive_c/MTEMP/$table.DBF" ] || fail "exportar no escribe $table.DBF"
done
echo "ok: exportar desde la ventana escribe las tablas y dice \"Proceso finalizado\""
close_box

choose_and_wait roto.xml "documento roto"
grep -q 'MSGBOX_OnInit L".*roto\.xml.*\."' "$work/app.log" ||
  fail "el informe de error no nombra el documento"
screenshot "$box" error.png
echo "ok: un documento roto da el informe de error, que nombra el archivo"
close_box

point_at "$window"
xdotool key alt+s
wait_for_exit "Alt+S tras los mensajes"
