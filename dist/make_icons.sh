#!/bin/sh
# Draws the program icon (a chip with a "K") at 256x256 and scales it to 48x48; the PNGs are committed.
set -e
C=/usr/bin/convert
D=$(dirname "$0")/icons
mkdir -p "$D"

# Four pins on each side of the chip.
set --
for y in 64 100 136 172; do
  set -- "$@" -draw "rectangle 20,$y 52,$((y + 16))" -draw "rectangle 204,$y 236,$((y + 16))"
done

$C -size 256x256 xc:none \
  -fill '#B8BCC4' -stroke '#50545C' -strokewidth 3 "$@" \
  -fill '#2A3140' -stroke '#10141C' -strokewidth 4 -draw 'roundrectangle 48,32 208,224 14,14' \
  -fill none -stroke '#5A6478' -strokewidth 3 -draw 'circle 74,58 74,66' \
  -stroke none -fill '#F2C230' -font DejaVu-Sans-Bold -pointsize 128 -gravity center -annotate +0+6 K \
  "PNG32:$D/kodrill-256.png"
$C "$D/kodrill-256.png" -filter Lanczos -resize 48x48 "PNG32:$D/kodrill-48.png"
