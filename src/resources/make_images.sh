#!/bin/sh
# Draws the gutter bitmaps, tool bar glyphs, program icon and logo once; the PNGs are committed.
# Gutter bitmaps use fuchsia (#FF00FF) as the transparent colour.
set -e
C=/usr/bin/convert
F=DejaVu-Sans-Bold
D=$(dirname "$0")/images
mkdir -p "$D"
G="-size 16x16 +antialias xc:#FF00FF"

for n in 0 1 2 3 4 5 6 7 8 9; do
  $C $G -fill '#2050C0' -stroke '#102060' -draw 'roundrectangle 1,1 14,14 3,3' \
     -stroke none -fill white -font $F -pointsize 11 -gravity center -annotate +0+0 "$n" \
     "PNG24:$D/BOOKMARK$n.png"
done
$C $G -fill '#D02020' -stroke '#601010' -draw 'circle 7.5,7.5 7.5,1.5' "PNG24:$D/BREAKPOINT.png"
$C $G -fill '#E02020' -stroke '#700000' -draw 'circle 7.5,7.5 7.5,1' \
   -stroke white -strokewidth 2 -draw 'line 5,5 10,10' -draw 'line 10,5 5,10' "PNG24:$D/ERROR.png"
$C $G -fill '#20A020' -stroke '#105010' -draw 'polygon 3,2 13,8 3,14' "PNG24:$D/POSITION.png"
$C $G -fill '#F0C000' -stroke '#806000' -draw 'polygon 8,1 15,14 1,14' \
   -stroke none -fill black -draw 'rectangle 7,5 8,10' -draw 'rectangle 7,12 8,13' "PNG24:$D/WARNING.png"

# Tool bar glyphs (transparent background).
T="-size 16x16 xc:none"
$C $T -fill white -stroke '#404040' -draw 'polygon 3,1 10,1 13,4 13,14 3,14' \
   -draw 'line 10,1 10,4' -draw 'line 10,4 13,4' "$D/new.png"
$C $T -fill '#E8C050' -stroke '#705010' -draw 'polygon 1,4 6,4 7,5 14,5 14,14 1,14' \
   -fill '#F8E090' -draw 'polygon 3,8 16,8 14,14 1,14' "$D/open.png"
$C $T -fill '#3050B0' -stroke '#102050' -draw 'rectangle 1,1 14,14' \
   -fill white -stroke none -draw 'rectangle 4,2 11,7' -fill '#C0C0C0' -draw 'rectangle 5,10 10,14' "$D/save.png"
$C $T -fill '#D0D0D0' -stroke '#404040' -draw 'rectangle 1,6 14,12' \
   -fill white -draw 'rectangle 4,1 11,6' -draw 'rectangle 4,10 11,15' "$D/print.png"
$C $T -fill none -stroke '#303030' -draw 'circle 4,12 4,10' -draw 'circle 11,12 11,10' \
   -draw 'line 5,10 11,1' -draw 'line 10,10 4,1' "$D/cut.png"
$C $T -fill white -stroke '#404040' -draw 'rectangle 1,1 9,11' -draw 'rectangle 6,4 14,14' "$D/copy.png"
$C $T -fill '#B08040' -stroke '#503010' -draw 'rectangle 1,2 11,14' \
   -fill white -stroke '#404040' -draw 'rectangle 6,6 14,15' "$D/paste.png"
$C $T -fill none -stroke '#2040A0' -strokewidth 2 -draw 'arc 3,4 14,14 180,360' \
   -fill '#2040A0' -stroke none -draw 'polygon 0,9 6,9 3,13' "$D/undo.png"
$C $T -fill none -stroke '#2040A0' -strokewidth 2 -draw 'arc 1,4 12,14 180,360' \
   -fill '#2040A0' -stroke none -draw 'polygon 9,9 15,9 12,13' "$D/redo.png"
$C $T -fill '#F0D000' -stroke '#806000' -draw 'polygon 9,0 2,9 7,9 5,15 13,6 8,6' "$D/assemble.png"

# Program icon and logo.
$C -size 32x32 xc:none -fill '#204080' -draw 'roundrectangle 0,0 31,31 6,6' \
   -fill white -font $F -pointsize 22 -gravity center -annotate +0+0 'K' "$D/kodrill.png"
$C -size 64x64 xc:white -fill '#2E7D4F' -draw 'circle 32,32 32,4' \
   -fill '#A8D8B0' -draw 'ellipse 32,40 20,10 0,360' \
   -fill white -font $F -pointsize 18 -gravity center -annotate +0-6 'TF' "$D/logo.png"
