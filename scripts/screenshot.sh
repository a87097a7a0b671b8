#!/usr/bin/env bash
# Takes the README's picture of the window: starts the built program on a
# private Xvfb display, waits for its window and saves that window as a PNG.
#
#   scripts/screenshot.sh [SCALE] [OUTPUT.png]
#
# SCALE is Qt's scale factor (1, 1.5, 2...), to see the window as on a
# high-DPI screen. Defaults: 1 and docs/ventana.png (docs/ventana-SCALE.png
# for another scale). Needs Xvfb, xdotool and ImageMagick's import
# (packages xvfb, xdotool, imagemagick) and a build in build/ (make build).
set -euo pipefail

cd "$(dirname "$0")/.."
scale=${1:-1}
if [ "$scale" = 1 ]; then default_out=docs/ventana.png; else default_out=docs/ventana-${scale/./}0.png; fi
[ "$scale" = 2 ] && default_out=docs/ventana-200.png
[ "$scale" = 1.5 ] && default_out=docs/ventana-150.png
out=${2:-$default_out}
program=${TMQ_PROGRAM:-build/TransMirtavQuelmar}

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "Falta $tool (paquetes xvfb, xdotool, imagemagick)." >&2; exit 1; }
done
[ -x "$program" ] || { echo "Falta $program: ejecute antes make build." >&2; exit 1; }

# A display number nobody uses.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done

xvfb_pid=
app_pid=
home=$(mktemp -d)
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  # Waited for, so that a next run finds the display free.
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
# Ready when it answers, not when its socket appears.
for _ in $(seq 1 100); do
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb no arrancó en :$display." >&2; exit 1; }
  DISPLAY=":$display" xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.1
done

# A home of its own, so that no settings of this machine's user show.
env -u QT_QPA_PLATFORM DISPLAY=":$display" HOME="$home" QT_SCALE_FACTOR="$scale" \
  LANG=es_ES.UTF-8 "$program" >/dev/null 2>&1 &
app_pid=$!

window=
for _ in $(seq 1 100); do
  window=$(DISPLAY=":$display" xdotool search --onlyvisible --name 'Exportar e importar datos' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "La ventana no apareció." >&2; exit 1; }
sleep 1 # let it paint

mkdir -p "$(dirname "$out")"
DISPLAY=":$display" import -window "$window" +set date:create +set date:modify \
  -define png:exclude-chunks=date,time "$out"
echo "$out: $(identify -format '%wx%h' "$out")"
