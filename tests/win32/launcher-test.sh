#!/usr/bin/env bash
# The Start menu's "Ver horario de Mirtavel" under Wine on a virtual display:
# a window-subsystem program (no console comes up with it); with C:\MTEMP
# lacking SOLUC it shows the command line's error, word for word, in a box
# titled "Ver horario de Mirtavel" that Enter closes; with the tables there
# it writes HorarioMirtavel.html into the user's temporary folder and hands
# it to the browser Windows has for HTML pages, here a stand-in that notes
# what it was given.
#
# Usage: launcher-test.sh LAUNCHER.EXE WINDOWS_CLI.EXE LINUX_CLI ARTEFACT_FOLDER
set -euo pipefail

launcher=$(realpath "$1")
cli=$(realpath "$2")
linux_cli=$(realpath "$3")
artefacts=$(mkdir -p "$4" && realpath "$4")
title='^Ver horario de Mirtavel$'

failure_shot='launcher-failure.png'
# shellcheck source=wine-session.sh
source "$(dirname "$0")/wine-session.sh"

subsystem=$(x86_64-w64-mingw32-objdump -p "$launcher" | grep '^Subsystem')
[[ "$subsystem" == *"(Windows GUI)"* ]] ||
  fail "$(basename "$launcher") no es un programa de ventanas: abriría una consola"

wine_session_start

mtemp="$WINEPREFIX/drive_c/MTEMP"
mkdir -p "$mtemp"
"$linux_cli" export "$root/examples/centro.xml" --dir "$mtemp" >/dev/null

# --- Without SOLUC: the error box ------------------------------------------

expected=$("$TMQ_WINE" "$cli" report 2>&1 >/dev/null | tr -d '\r' || true)
[ -n "$expected" ] || fail "la línea de órdenes no dio error sin SOLUC"
WINEDEBUG=-all,trace+msgbox "$TMQ_WINE" "$launcher" >"$work/launcher.log" 2>&1 </dev/null &
app=$!
box=$(wait_for_window "$title") || fail "no aparece el mensaje titulado Ver horario de Mirtavel"
shown=$(grep -ao 'MSGBOX_OnInit L".*"' "$work/launcher.log" | head -1 |
  sed -e 's/^MSGBOX_OnInit L"//' -e 's/"$//' -e 's/\\\\/\\/g')
[ "$shown" = "$expected" ] || fail "el mensaje dice «$shown» y la línea de órdenes «$expected»"
eval "$(xdotool getwindowgeometry --shell "$box")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$artefacts/launcher-error.png"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
xdotool key Return
wait_for_end "el mensaje"
[ "$status" = 1 ] || fail "tras el error sale con $status, no con 1"
echo "ok: sin SOLUC, el mensaje de error dice lo mismo que la línea de órdenes e Intro lo cierra"

# --- With the tables: the page, handed to the browser ----------------------

"$linux_cli" demo-timetable --dir "$mtemp" >/dev/null
cat >"$work/browser.sh" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >>"$work/browser.log"
EOF
chmod +x "$work/browser.sh"
"$TMQ_WINE" reg add 'HKCR\.html' /ve /d htmlfile /f >/dev/null 2>&1
"$TMQ_WINE" reg add 'HKCR\htmlfile\shell\open\command' /ve \
  /d '"C:\windows\system32\winebrowser.exe" "%1"' /f >/dev/null 2>&1
"$TMQ_WINE" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$work/browser.sh" /f \
  >/dev/null 2>&1
"$TMQ_WINE" "$launcher" >"$work/launcher.log" 2>&1 </dev/null &
app=$!
wait_for_end "la página"
[ "$status" = 0 ] || fail "con las tablas sale con $status: $(cat "$work/launcher.log")"
page=$(find "$WINEPREFIX/drive_c/users" -path '*/Temp/HorarioMirtavel.html' | head -1)
[ -n "$page" ] || fail "no está HorarioMirtavel.html en la carpeta temporal"
grep -q '<h1>Horario de Mirtavel</h1>' "$page" || fail "la página no es el horario"
for _ in $(seq 300); do [ -s "$work/browser.log" ] && break; sleep 0.1; done
grep -q 'Temp/HorarioMirtavel.html$' "$work/browser.log" 2>/dev/null ||
  fail "el navegador no recibió la página: $(cat "$work/browser.log" 2>/dev/null)"
echo "ok: con las tablas, la página queda en la carpeta temporal y se abre en el navegador"
