#!/bin/sh
# Regenerates every picture of the programs from the SVG drawings under art/:
#   builder/data/picts/   palette buttons, loop picture, banner, builder logo
#   builder/data/images/  the help browser's button images
#   art/icons/            48 x 48 and 256 x 256 PNG icons of the programs
#   docs/palette-pictures.png  a contact sheet of all of the above, for review
# The results are committed; the build does not run this script.
#
# Needs rsvg-convert (Debian librsvg2-bin) to draw the SVGs, because
# ImageMagick's own SVG reader renders strokes and arcs badly, and ImageMagick
# (convert, montage) to compose the pictures and write GIF.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
art="$root/art"
picts="$root/builder/data/picts"
images="$root/builder/data/images"
icons="$art/icons"
sheet="$root/docs/palette-pictures.png"

for tool in rsvg-convert convert montage; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "make-pictures: $tool is missing (Debian packages librsvg2-bin, imagemagick)" >&2
        exit 1
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$picts" "$images" "$icons" "$(dirname "$sheet")"

# Colours the pictures sit on: the editor area, and the light grey of a push
# button for the pictures with a transparent background.
EDITOR_BG='#c1c7db'
BUTTON_BG='#e8e8e8'

# render <svg> <width> <height> <png>
render() {
    rsvg-convert -w "$2" -h "$3" -o "$4" "$1"
}

# opaque_gif <png> <gif>: the picture fills its rectangle; no transparency.
opaque_gif() {
    convert "$1" -background white -alpha remove -alpha off +dither -colors 256 "$2"
}

# transparent_gif <png> <matte colour> <gif>: GIF knows only fully transparent
# or opaque pixels, so the soft edges are blended into the colour the picture
# will most likely sit on, and pixels less than half covered become clear.
transparent_gif() {
    convert "$1" \
        \( -clone 0 -background "$2" -alpha remove -alpha off \) \
        \( -clone 0 -alpha extract -threshold 50% \) \
        -delete 0 -alpha off -compose CopyOpacity -composite +dither "$3"
}

# png_out <png> <result>: a PNG without time stamps, so that regenerating
# unchanged drawings leaves the files unchanged.
png_out() {
    convert "$1" -strip -depth 8 -define png:exclude-chunks=date,time "$2"
}

# --- Palette buttons --------------------------------------------------------
# Each button is 34 x 34 and opaque: a raised white face when not selected; a
# pressed, highlighted face with the pictogram shifted by one pixel when
# selected. The file names are the ones the editor loads; their letter case
# differs from tool to tool and must stay as it is.
render "$art/palette/face-up.svg" 34 34 "$work/face-up.png"
render "$art/palette/face-down.svg" 34 34 "$work/face-down.png"

# button <glyph png> <not selected name> <selected name or ->
button() {
    convert "$work/face-up.png" "$1" -composite "$work/button.png"
    opaque_gif "$work/button.png" "$picts/$2.gif"
    if [ "$3" != "-" ]; then
        convert "$work/face-down.png" "$1" -geometry +1+1 -composite "$work/button.png"
        opaque_gif "$work/button.png" "$picts/$3.gif"
    fi
}

# glyph        not selected     selected
palette_list='
create         no_create        create
link           no_link          link
select         no_select        select
delete         no_delete        -
undo           no_Undo          Undo
newScen        no_newScen       newScen
load           no_load          load
save           no_save          save
print          no_print         print
help           no_help          -
ecg            no_ecg           ecg
Electrodes     no_Electrodes    Electrodes
Motion         no_Motion        Motion
Battery        no_Battery       Battery
Failure        no_Failure       Failure
shock          no_Shock         shock
time           no_time          time
cpr            no_cpr           cpr
'
echo "$palette_list" | while read -r glyph up down; do
    [ -n "$glyph" ] || continue
    render "$art/palette/$glyph.svg" 34 34 "$work/$glyph.png"
    button "$work/$glyph.png" "$up" "$down"
done

# Undo with nothing to undo: the same arrow, washed out to grey.
convert "$work/undo.png" -modulate 100,0 -channel RGB +level 50%,80% +channel \
    "$work/undo-disabled.png"
button "$work/undo-disabled.png" no_UndoDisabled UndoDisabled

# --- Connection loop, banner, logo -----------------------------------------
render "$art/loop.svg" 28 22 "$work/loop.png"
opaque_gif "$work/loop.png" "$picts/loop.gif"

render "$art/banner.svg" 106 33 "$work/banner.png"
opaque_gif "$work/banner.png" "$picts/Banner.gif"

render "$art/logo.svg" 64 64 "$work/logo.png"
transparent_gif "$work/logo.png" "$EDITOR_BG" "$picts/ScenarioLogoBig.gif"

# --- Help browser buttons ---------------------------------------------------
for name in previous next close; do
    render "$art/browser/$name.svg" 24 24 "$work/$name.png"
    transparent_gif "$work/$name.png" "$BUTTON_BG" "$images/$name.gif"
done
# The print button shows the palette's printer, cut from its middle.
convert "$work/print.png" -gravity center -crop 24x24+0+0 +repage "$work/print24.png"
transparent_gif "$work/print24.png" "$BUTTON_BG" "$images/print.gif"

# --- Program icons -----------------------------------------------------------
for size in 48 256; do
    render "$art/logo.svg" "$size" "$size" "$work/icon.png"
    png_out "$work/icon.png" "$icons/crvlbuilder-$size.png"

    render "$art/icons/trainer.svg" "$size" "$size" "$work/trainer.png"
    for pair in crvlconfig:gear crvlupd:download crvlclass:class; do
        program=${pair%%:*}
        badge=${pair#*:}
        render "$art/icons/$badge.svg" "$size" "$size" "$work/badge.png"
        convert "$work/trainer.png" "$work/badge.png" -composite "$work/icon.png"
        png_out "$work/icon.png" "$icons/$program-$size.png"
    done
done

# --- Contact sheet -----------------------------------------------------------
# Every picture and the small program icons, labelled with their file names,
# once on the editor's colour and once on white.
list="$work/sheet-list"
: >"$list"
echo "$palette_list" | while read -r glyph up down; do
    [ -n "$glyph" ] || continue
    echo "$picts/$up.gif" >>"$list"
    if [ "$down" != "-" ]; then echo "$picts/$down.gif" >>"$list"; fi
    if [ "$glyph" = undo ]; then
        echo "$picts/no_UndoDisabled.gif" >>"$list"
        echo "$picts/UndoDisabled.gif" >>"$list"
    fi
done
for f in "$picts/loop.gif" "$images/previous.gif" "$images/next.gif" \
    "$images/print.gif" "$images/close.gif"; do
    echo "$f" >>"$list"
done

for bg in "$EDITOR_BG" white; do
    tag=$(echo "$bg" | tr -d '#')
    # shellcheck disable=SC2046
    montage -background "$bg" -font DejaVu-Sans -pointsize 8 -label '%t' \
        $(cat "$list") -tile 8x -geometry '34x34>+24+6' "$work/icons-$tag.png"
    montage -background "$bg" -font DejaVu-Sans -pointsize 8 -label '%t' \
        "$picts/Banner.gif" "$picts/ScenarioLogoBig.gif" "$icons"/crvl*-48.png \
        -tile 5x -geometry '+24+6' \
        "$work/big-$tag.png"
    convert "$work/icons-$tag.png" "$work/big-$tag.png" -background "$bg" -gravity west \
        -append "$work/sheet-$tag.png"
done
convert "$work/sheet-$(echo "$EDITOR_BG" | tr -d '#').png" "$work/sheet-white.png" \
    -background white -gravity west -append "$work/sheet.png"
png_out "$work/sheet.png" "$sheet"

echo "make-pictures: $(find "$picts" -name '*.gif' | wc -l) pictures in builder/data/picts," \
    "$(find "$images" -name '*.gif' | wc -l) in builder/data/images, icons in art/icons"
