#!/bin/sh
# Redraws skin/Loding.gif from pictures.txt: skin_painter draws the frames, ImageMagick
# (which the build does not need) assembles them. Run from the repository after a build:
#   sh resources/skin/make-loding-gif.sh [BUILD_DIR]
set -eu
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
cmake --build "$build" --target skin_painter
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
"$build/resources/skin_painter" --frames "$here/pictures.txt" "$frames"
delay=$(sed -n 's/^animation Loding .*delay=\([0-9]*\).*/\1/p' "$here/pictures.txt")
# GIF delays are in hundredths of a second.
convert -delay $((delay / 10)) -loop 0 "$frames"/Loding-*.png -layers Optimize "$here/Loding.gif"
identify "$here/Loding.gif" | head -n 3
