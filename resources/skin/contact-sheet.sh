#!/bin/sh
# One picture of every skin picture, each labelled with its name and size, to look at by eye.
#   sh resources/skin/contact-sheet.sh [BUILD_DIR] [OUTPUT.png]
set -eu
build=${1:-build}
out=${2:-skin-sheet.png}
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target corvane_skin_objects
jpg="$build/resources/skin/jpg"
cells=$(mktemp -d)
trap 'rm -rf "$cells"' EXIT
# Small pictures get a cell of their own width so that labels do not run into each other.
for f in "$jpg"/*.jpg; do
  n=$(basename "$f" .jpg)
  convert "$f" -bordercolor '#9aa4ae' -border 1 -background '#f2f3f5' -gravity center \
    -extent "$(identify -format '%[fx:max(w+12,150)]x%[fx:h+12]' "$f")" \
    -gravity south -splice 0x16 -font DejaVu-Sans -pointsize 10 -fill '#333' \
    -annotate +0+2 "$n $(identify -format '%wx%h' "$f")" "$cells/$n.png"
done
convert "$here/Loding.gif" -coalesce "$cells/gif-%02d.png"
montage "$cells"/gif-*.png -tile x1 -geometry +4+4 -background '#f2f3f5' "$cells/zz-Loding.png"
rm -f "$cells"/gif-*.png
montage "$cells"/*.png -background '#f2f3f5' -geometry +4+4 -tile 6x "$out"
echo "$out"
