#!/usr/bin/env bash
# The Windows window at the scales of today's screens, under Wine on a virtual
# display. At 96, 120, 144 and 192 dpi (100 % to 200 %, set as Windows keeps
# it, in LogPixels): the window's client area is the layout's scaled exactly
# and its frame grows within 3 %; the panels' colours hold at their scaled
# rows, the version is red, the button text grows with the scale and the
# focused button shows its dotted focus rectangle; Tab, Enter and Alt+S work.
# At each scale a WM_DPICHANGED, as Windows sends when the window moves to a
# monitor of another scale, lays the window out again at the new one, where
# the same checks hold and the keys still work. At 100 % it also reads what
# screen readers get through oleacc. The screenshots stay in the artefact
# folder (window-DPI.png, window-DPI-to-NEW.png).
#
# Usage: window-scales-test.sh WINDOW.EXE PROBE.EXE ARTEFACT_FOLDER
set -euo pipefail

exe=$(realpath "$1")
probe=$(realpath "$2")
artefacts=$(mkdir -p "$3" && realpath "$3")
rm -f "$artefacts"/*.png
# shellcheck source=window-helpers.sh
source "$(dirname "$0")/window-helpers.sh"
# Room for the window at 200 %.
window_session_start 1920x1200

# A length of the layout at `dpi`, rounded as the program rounds (MulDiv).
scaled() { echo $((($1 * $2 + 48) / 96)); }

probe() { "$TMQ_WINE" "$probe" "$@" 2>/dev/null | tr -d '\r'; }

# The bounding box (WxH+X+Y) of the dark grey to black pixels, smoothed
# edges of letters included and green pictures left out, in a part of a
# screenshot given in client coordinates.
ink_box() { # png left top right bottom
  convert "$1" -crop "$(($4 - $2))x$(($5 - $3))+$((clientLeft + $2))+$((clientTop + $3))" +repage \
    -fx "max(r,max(g,b)) < 0.6 && abs(g-r) < 0.12 && abs(g-b) < 0.12 ? 1 : 0" \
    -format '%@' info: 2>/dev/null
}

# How many pixels of one row, from `left` to `right`, are dark.
dark_in_row() { # png row left right
  convert "$1" -crop "$(($4 - $3))x1+$((clientLeft + $3))+$((clientTop + $2))" +repage \
    -fx "max(r,max(g,b)) < 0.3 ? 1 : 0" -format '%[fx:round(mean*w)]' info:
}

# The frame at 100 %, which the other scales are measured against.
frame96=""
# The height of the export button's caption at 100 %.
text96=""

# Checks the window laid out at `dpi` and keeps its screenshot as `png`.
check_layout() { # dpi png what
  local dpi=$1 png="$artefacts/$2" what=$3
  eval "$(probe geometry)"
  local width height
  width=$(scaled 632 "$dpi")
  height=$(scaled 266 "$dpi")
  [ "$clientWidth" = "$width" ] && [ "$clientHeight" = "$height" ] ||
    fail "$what: el área de la ventana mide ${clientWidth}x$clientHeight, no ${width}x$height"
  import -window root -crop "${outerWidth}x${outerHeight}+${outerLeft}+${outerTop}" +repage "$png"
  clientLeft=$((clientLeft - outerLeft))
  clientTop=$((clientTop - outerTop))

  # The panels: the upper two end at 169, the bottom one runs from 168 to 265.
  local upper lower
  upper=$(scaled 169 "$dpi")
  lower=$(scaled 168 "$dpi")
  local bottom
  bottom=$(scaled 265 "$dpi")
  for column in $(scaled 3 "$dpi") $(scaled 629 "$dpi"); do
    pixel_near "$png" "$column" 0 FFEEDD
    pixel_near "$png" "$column" $((upper / 2)) FFFFFF
    pixel_near "$png" "$column" $((upper - 1)) F9D37D
    pixel_near "$png" "$column" "$upper" CCD8E6
    pixel_near "$png" "$column" $((lower + (bottom - lower) / 2)) CFF2FE
    pixel_near "$png" "$column" $((bottom - 1)) C2CDFE
  done
  local red
  red=$(convert "$png" -crop "$(scaled 200 "$dpi")x$(scaled 16 "$dpi")+$((clientLeft + $(scaled 8 "$dpi")))+$((clientTop + $(scaled 240 "$dpi")))" \
    +repage -fill white -opaque '#FF0000' -fill black +opaque white -format '%[fx:round(mean*w*h)]' info:)
  [ "$red" -gt 150 ] || fail "$what: la versión no se ve en rojo ($red puntos rojos)"

  # The black caption of BExportar (97, 120, 89 x 25), inside its raised edge.
  local edge left top right low box text
  edge=$(scaled 3 "$dpi")
  left=$(scaled 97 "$dpi")
  top=$(scaled 120 "$dpi")
  right=$(scaled 186 "$dpi")
  low=$(scaled 145 "$dpi")
  box=$(ink_box "$png" $((left + edge)) $((top + edge)) $((right - edge)) $((low - edge)))
  text=${box#*x}
  text=${text%%+*}
  [ -n "$text" ] && [ "$text" -gt 0 ] || fail "$what: no se ve el texto de BExportar"
  if [ -z "$text96" ]; then
    text96=$text
  else
    # Within a tenth, and a pixel of rounding, of the height the scale gives.
    local want=$((text96 * dpi / 96))
    [ "$text" -ge $((want * 9 / 10)) ] && [ "$text" -le $((want * 11 / 10 + 1)) ] ||
      fail "$what: el texto de BExportar mide $text px de alto, no unos $want"
  fi

  # BClose (256, 200, 89 x 25) has the focus: a dotted rectangle inside its
  # heavy frame, which BExportar, without the focus, does not show.
  local frame dotted
  frame=$(scaled 1 "$dpi")
  dotted=$((frame + $(scaled 3 "$dpi")))
  local from to
  from=$(($(scaled 256 "$dpi") + dotted))
  to=$(($(scaled 345 "$dpi") - dotted))
  local focused plain
  focused=$(dark_in_row "$png" $(($(scaled 200 "$dpi") + dotted)) "$from" "$to")
  plain=$(dark_in_row "$png" $((top + dotted)) $((left + dotted)) $((right - dotted)))
  [ "$focused" -gt $(((to - from) / 4)) ] && [ "$plain" -lt $(((to - from) / 8)) ] ||
    fail "$what: el rectángulo de foco de Salir no se ve ($focused puntos; $plain sin foco)"

  echo "ok: $what: área ${clientWidth}x$clientHeight, marco ${outerWidth}x$outerHeight," \
    "texto de Aceptar de $text px; colores, versión y foco en su sitio"
}

# The frame grows with the scale, within 3 %.
check_frame() { # dpi what
  if [ -z "$frame96" ]; then
    frame96="$outerWidth $outerHeight"
    return
  fi
  local w96 h96
  read -r w96 h96 <<<"$frame96"
  local pair
  for pair in "$outerWidth $w96" "$outerHeight $h96"; do
    local have base
    read -r have base <<<"$pair"
    local want=$((base * $1 / 96))
    local diff=$((have - want))
    [ $((${diff#-} * 100)) -le $((want * 3)) ] ||
      fail "$2: el marco mide ${outerWidth}x$outerHeight, más de un 3 % lejos de $((w96 * $1 / 96))x$((h96 * $1 / 96))"
  done
}

# Tab, Enter and Alt+S on the running window: Tab takes the focus from
# BClose to BExportar, Enter opens the file dialog, cancelled, and the box
# it leaves closes with Enter; Alt+S ends the program.
check_keys() { # what
  point_at "$window"
  xdotool key Tab Return
  local dialog box
  dialog=$(wait_for_window '^Archivo XML$') || fail "$1: Tab e Intro no abren el diálogo"
  point_at "$dialog"
  xdotool key Escape
  box=$(wait_for_window "^${title}\$") || fail "$1: al cancelar no aparece el mensaje"
  point_at "$box"
  xdotool key Return
  wait_until_gone "^${title}\$" || fail "$1: Intro no cierra el mensaje"
  point_at "$window"
  xdotool key alt+s
  wait_for_exit "$1: Alt+S"
}

# What screen readers get: the window and its controls in order, named by
# their text, the window a dialog and each Aceptar described by its
# heading. Wine's oleacc reports every window as a plain client and keeps
# no annotation, so where it gives no dialog role or description, the
# program's own annotations are read from Wine's note of them.
check_accessible() {
  probe accessible >"$work/accessible.txt"
  local names
  names=$(cut -d"|" -f3 "$work/accessible.txt" | paste -sd'/')
  local want="Exportar e importar datos entre Mirtavel y Quelmar /TransMirtavelQuelmar V-2.3/Salir"
  want+="/Transformar datos desde Quelmar hacia Mirtavel /Aceptar"
  want+="/Transformar datos desde Mirtavel hacia Quelmar/Aceptar"
  [ "$names" = "$want" ] || fail "los nombres accesibles son '$names', no '$want'"

  # Wine notes each annotation it does not keep: window, object (-4 is the
  # client), child, property and value.
  annotated() { # handle property value
    grep -qi "AccPropServices_SetHwndProp[A-Za-z]* ($1 4294967292 0 {$2} .*$3" "$work/app.log"
  }
  local handle role description
  IFS='|' read -r handle role _ description <<<"$(sed -n 1p "$work/accessible.txt")"
  [ "$role" = 18 ] || annotated "$handle" cb905ff2-7bd1-4c05-b3c8-e6c241364d70 'VT_I4: 18' ||
    fail "la ventana no se presenta como diálogo (papel $role)"
  local line heading
  for line in 5 7; do
    heading=$(sed -n "$((line - 1))p" "$work/accessible.txt" | cut -d"|" -f3)
    heading=${heading% }
    IFS='|' read -r handle role _ description <<<"$(sed -n "${line}p" "$work/accessible.txt")"
    [ "$description" = "$heading" ] ||
      annotated "$handle" 4d48dfe4-bd3f-491f-a648-492d6f20c588 "L\"$heading\")" ||
      fail "el botón Aceptar $((line / 2 - 1)) no se describe como '$heading'"
  done
  echo "ok: lectores de pantalla: nombres en orden, la ventana un diálogo, cada Aceptar con su título"
}

declare -A next=([96]=144 [120]=192 [144]=96 [192]=120)
for dpi in 96 120 144 192; do
  "$TMQ_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1
  tmq_wine_restart
  WINEDEBUG=-all,fixme+oleacc start "$dpi ppp"
  check_layout "$dpi" "window-$dpi.png" "$dpi ppp"
  check_frame "$dpi" "$dpi ppp"
  [ "$dpi" = 96 ] && check_accessible
  check_keys "$dpi ppp"
  echo "ok: $dpi ppp: Tab, Intro y Alt+S"

  start "$dpi ppp, Intro"
  xdotool key Return
  wait_for_exit "$dpi ppp: Intro al empezar"
  echo "ok: $dpi ppp: Intro al empezar pulsa Salir"

  # The suggested rectangle keeps the window's place; the client area is
  # the layout's at the new scale whatever frame Wine draws around it, which
  # does not change with a message it did not send.
  new=${next[$dpi]}
  start "de $dpi a $new ppp"
  eval "$(probe dpi-changed "$new")"
  sleep 0.5
  check_layout "$new" "window-$dpi-to-$new.png" "de $dpi a $new ppp"
  [ "$outerLeft $outerTop" = "$suggestedLeft $suggestedTop" ] ||
    fail "tras WM_DPICHANGED la ventana está en $outerLeft,$outerTop y no en $suggestedLeft,$suggestedTop"
  check_keys "de $dpi a $new ppp"
  echo "ok: de $dpi a $new ppp: Tab, Intro y Alt+S"
done
