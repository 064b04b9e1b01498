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
mkdir "$cells/small" "$cells/large"
label() {  # picture, name, output
  convert "$1" -bordercolor '#9aa4ae' -border 1 -background '#f2f3f5' -gravity center \
    -extent "$(identify -format '%[fx:max(w+12,170)]x%[fx:h+12]' "$1")" \
    -gravity south -splice 0x16 -font DejaVu-Sans -pointsize 10 -fill '#333' \
    -annotate +0+2 "$2" "$3"
}
# Buttons and tabs share small cells; backgrounds and the header pictures get their own.
for f in "$jpg"/*.jpg; do
  n=$(basename "$f" .jpg)
  size=$(identify -format '%wx%h' "$f")
  if [ "$(identify -format '%[fx:w>140||h>60]' "$f")" = 1 ]; then
    label "$f" "$n $size" "$cells/large/$n.png"
  else
    label "$f" "$n $size" "$cells/small/$n.png"
  fi
done
convert "$here/Loding.gif" -coalesce "$cells/frame-%02d.png"
convert "$cells"/frame-*.png -bordercolor '#f2f3f5' -border 3 +append "$cells/frames.png"
label "$cells/frames.png" "Loding (GIF frames) 32x32" "$cells/small/zz-Loding.png"
montage "$cells/small"/*.png -background '#f2f3f5' -geometry +3+3 -tile 7x "$cells/small.png"
montage "$cells/large"/*.png -background '#f2f3f5' -geometry +3+3 -tile 4x "$cells/large.png"
convert "$cells/small.png" "$cells/large.png" -background "#f2f3f5" -append +repage "$out"
echo "$out"
