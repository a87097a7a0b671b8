#!/usr/bin/env bash
# What the tests of the Windows window share: a virtual display with Wine on
# it, and the ways a user meets the window there. Source it after setting
#   exe        the window program (TransMirtavQuelmar.exe)
#   artefacts  the folder for screenshots
# then call window_session_start SCREEN_SIZE (1024x768, say).
#
# Besides what wine-session.sh sets, it sets `window` (the program's X
# window, after `start`) and `title` (the title the program derives from its
# executable's name).

caption='^Exportar e importar datos entre Mirtavel y Quelmar $'
name=$(basename "$exe")
name=${name%%.*}
title="${name:0:1}$(tr '[:upper:]' '[:lower:]' <<<"${name:1}")"

# shellcheck source=wine-session.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh"

# ImageMagick 7 (Debian 13) calls its tool magick, and its convert prints a
# stray "list" line before what -fx computes; ImageMagick 6 has only convert.
if command -v magick >/dev/null; then
  convert() { magick "$@"; }
fi

# The Wine session, and in its C:\MTEMP\XML, the folder the file dialog
# opens first, a document to choose.
window_session_start() {
  wine_session_start "$1"
  mkdir -p "$WINEPREFIX/drive_c/MTEMP/XML"
  cp "$root/examples/centro.xml" "$WINEPREFIX/drive_c/MTEMP/XML/centro.xml"
}

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
# colour, allowing for the rounding of the blend. The client area lies at
# `clientLeft`, `clientTop` in the screenshot.
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
