#!/bin/sh
# Draws the configuration tool's images with ImageMagick:
#   lamps.png      the lamp strip: 3 columns (lit, dark, off) x 8 rows of
#                  16 x 16 cells; rows 0..3 small red, green, yellow, blue
#                  lamps, rows 4..7 the same colours larger. Magenta
#                  (255,0,255) is the transparent colour, so drawing is done
#                  without antialiasing to keep the edges free of blends.
#   crvlconfig.png the program icon (32 x 32).
# Run it from this folder after changing a colour; the PNGs are committed.
set -e
cd "$(dirname "$0")"

lit="#ff2020 #20d020 #ffe020 #3060ff"
dark="#701010 #106010 #807010 #102870"
grey="#909090"

draw=""
row=0
for size in small large; do
    if [ $size = small ]; then r=5; else r=7; fi
    i=1
    for colour in $lit; do
        dk=$(echo $dark | cut -d' ' -f$i)
        y=$((row * 16 + 8))
        draw="$draw -fill black -draw \"circle 8,$y 8,$((y - r - 1))\""
        draw="$draw -fill \"$colour\" -draw \"circle 8,$y 8,$((y - r))\""
        draw="$draw -fill white -draw \"circle 6,$((y - 2)) 6,$((y - 3))\""
        draw="$draw -fill black -draw \"circle 24,$y 24,$((y - r - 1))\""
        draw="$draw -fill \"$dk\" -draw \"circle 24,$y 24,$((y - r))\""
        draw="$draw -fill black -draw \"circle 40,$y 40,$((y - r - 1))\""
        draw="$draw -fill \"$grey\" -draw \"circle 40,$y 40,$((y - r))\""
        row=$((row + 1))
        i=$((i + 1))
    done
done
eval convert -size 48x128 xc:"#ff00ff" +antialias $draw -define png:color-type=2 lamps.png

convert -size 32x32 xc:none \
    -fill "#c01818" -draw "roundrectangle 1,1 30,30 6,6" \
    -fill white -draw "polygon 18,4 8,18 15,18 12,28 24,13 17,13 21,4" \
    crvlconfig.png
