#!/usr/bin/env bash
# Renders the program's icon from packaging/icon/*.svg into PNGs of the usual
# sizes, one multi-size Windows .ico and the picture beside the setup
# program's finish page. The results are committed, so the
# build never needs this script; run it after changing a drawing.
# Needs rsvg-convert (package librsvg2-bin) and ImageMagick's convert.
set -euo pipefail

cd "$(dirname "$0")/../packaging/icon"
name=transmirtavquelmar

for tool in rsvg-convert convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "Falta $tool (paquetes librsvg2-bin e imagemagick)." >&2
    exit 1
  fi
done

pngs=()
for size in 16 24 32 48 64 128 256; do
  # The small drawing is aligned to a 16-pixel grid; above 24 px the full
  # drawing reads better.
  if [ "$size" -le 24 ]; then
    source=$name-small.svg
  else
    source=$name.svg
  fi
  out=$name-$size.png
  rsvg-convert --width "$size" --height "$size" "$source" --output "$out"
  pngs+=("$out")
done

# No time stamps in the files, so that rendering again changes nothing.
convert "${pngs[@]}" +set date:create +set date:modify \
  -define png:exclude-chunks=date,time "$name.ico"

# The finish page's picture: 164 x 314, 24-bit BMP as NSIS wants it, the
# icon on the sheet's blue.
convert -size 164x314 gradient:'#2e75b6'-'#1f4e79' \
  "$name-128.png" -gravity north -geometry +0+40 -composite \
  -type TrueColor +set date:create +set date:modify BMP3:../windows/side.bmp
