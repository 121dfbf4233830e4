#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick: the About picture (about.jpg, 125 x 125)
# and the program icon (farrowdale.png, 256 x 256, and smaller copies in icons/). A page of
# text lines, some passages marked in colour, and a tally of counts beside it. Run once; the
# outputs are committed.
set -euo pipefail
cd "$(dirname "$0")"

# draw_page SIZE BACKGROUND OUTPUT: everything is laid out on a 256 grid and scaled.
draw_page() {
  local size=$1 background=$2 out=$3
  convert -size 256x256 xc:"$background" \
    -fill '#c5cfdc' -draw 'roundrectangle 40,28 196,236 10,10' \
    -fill white -stroke '#7b8aa0' -strokewidth 3 -draw 'roundrectangle 34,20 190,228 10,10' \
    -stroke none -fill '#b8c1cd' \
    -draw 'rectangle 52,46 170,54' -draw 'rectangle 52,70 150,78' \
    -draw 'rectangle 52,94 172,102' -draw 'rectangle 52,118 132,126' \
    -draw 'rectangle 52,142 166,150' -draw 'rectangle 52,166 144,174' \
    -draw 'rectangle 52,190 160,198' \
    -fill '#f6c445' -draw 'roundrectangle 80,64 140,84 4,4' \
    -fill '#6cc4a1' -draw 'roundrectangle 60,112 124,132 4,4' \
    -fill '#f08a7e' -draw 'roundrectangle 96,160 150,180 4,4' \
    -fill '#2d5fa8' -draw 'roundrectangle 150,128 238,236 14,14' \
    -stroke white -strokewidth 7 \
    -draw 'line 170,150 170,210' -draw 'line 186,150 186,210' \
    -draw 'line 202,150 202,210' -draw 'line 218,150 218,210' \
    -draw 'line 162,200 226,160' \
    -resize "${size}x${size}" -depth 8 "$out"
}

draw_page 125 '#e9eef5' about.ppm
convert about.ppm -quality 92 -sampling-factor 4:2:0 about.jpg
rm about.ppm
draw_page 256 none farrowdale.png
mkdir -p icons
# The installed icon in the usual hicolor sizes, scaled from the 256-pixel one.
for size in 16 24 32 48 64 128; do
  convert farrowdale.png -resize "${size}x${size}" "icons/farrowdale-${size}.png"
done
