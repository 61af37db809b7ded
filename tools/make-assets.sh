#!/usr/bin/env bash
# Renders the program's own images from their SVG sources; the results are kept
# in the repository: the product icon sizes, the hand pointer HAND-M.CUR (hot
# spot on the fingertip) and the row-drag pointer drag.ico.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/../assets"

for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" plumark.svg -o "icons/plumark-$size.png"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rsvg-convert -w 32 -h 32 src/drag.svg -o "$work/drag.png"
convert "$work/drag.png" program/drag.ico

# A .cur file is an .ico file of type 2 whose entry holds the hot spot where
# an icon keeps its planes and bit count.
hot_x=11
hot_y=1
rsvg-convert -w 32 -h 32 src/hand.svg -o "$work/hand.png"
convert "$work/hand.png" "$work/hand.ico"
cp "$work/hand.ico" program/HAND-M.CUR
printf '\x02\x00' | dd of=program/HAND-M.CUR bs=1 seek=2 conv=notrunc status=none
printf "\\x$(printf %02x $hot_x)\\x00\\x$(printf %02x $hot_y)\\x00" |
    dd of=program/HAND-M.CUR bs=1 seek=10 conv=notrunc status=none
