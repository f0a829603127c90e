#!/usr/bin/env bash
# Regenerates the program artwork in assets/ with ImageMagick 6.
# Small glyphs are drawn at 4x and averaged down, which gives clean
# anti-aliased edges at 16x16 without hand-tuning pixels.
set -euo pipefail

cd "$(dirname "$0")/.."
out=assets
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

font_bold=$(fc-match -f '%{file}' 'DejaVu Sans:bold')
font_title=$(fc-match -f '%{file}' 'Liberation Sans:bold')

# Leave out timestamps and other metadata so that reruns give identical files.
png_opts=(-strip -define png:exclude-chunks=date,time)

glyph() { # name, draw-args...
    local name=$1; shift
    convert -size 64x64 xc:none "$@" \
        -filter Box -resize 16x16 "${png_opts[@]}" "PNG32:$out/$name"
}

# Grey version for the disabled state: luminance only, lifted and faded a bit
# so it reads as inactive next to the coloured one.
grey() { # src, dst
    convert "$out/$1" -channel RGB -colorspace Gray -level -35%,100% +channel \
        -channel A -evaluate multiply 0.85 +channel \
        -colorspace sRGB -type TrueColorAlpha "${png_opts[@]}" "PNG32:$out/$2"
}

# Check mark: a dark outline stroke under a lighter green one.
tick='polyline 9,34 25,50 55,14'
glyph ok.png -fill none -stroke '#1b5e20' -strokewidth 16 -draw "stroke-linecap round stroke-linejoin round $tick" \
    -stroke '#43a047' -strokewidth 9 -draw "stroke-linecap round stroke-linejoin round $tick"

# Cross: two thick diagonals, outlined the same way.
x1='line 14,14 50,50'; x2='line 50,14 14,50'
glyph cross.png -fill none \
    -stroke '#8e0000' -strokewidth 17 -draw "stroke-linecap round $x1" -draw "stroke-linecap round $x2" \
    -stroke '#e53935' -strokewidth 10 -draw "stroke-linecap round $x1" -draw "stroke-linecap round $x2"
grey cross.png cross-disabled.png

# Prohibition sign: a red ring with a bar from top-left to bottom-right.
glyph stop.png -fill none \
    -stroke '#8e0000' -strokewidth 14 -draw 'circle 32,32 32,6' -draw 'line 14,14 50,50' \
    -stroke '#e53935' -strokewidth 8 -draw 'circle 32,32 32,6' -draw 'line 14,14 50,50'
grey stop.png stop-disabled.png

# Logo: 76x38 true colour without alpha. Only the top-left 73x33 is shown,
# so everything sits inside that box and the rest is plain background.
convert -size 76x38 gradient:'#4f8fe6'-'#123a80' \
    -fill white -stroke '#0b2455' -strokewidth 1 -draw 'roundrectangle 4,8 20,24 2,2' \
    -fill none -stroke '#2e7d32' -strokewidth 3 \
    -draw 'stroke-linecap round stroke-linejoin round polyline 7,16 11,20 18,10' \
    -stroke none -fill white -font "$font_bold" -pointsize 11 \
    -annotate +24+21 'Ekzamo' \
    "${png_opts[@]}" -type TrueColor "PNG24:$out/logo.png"

# Program icon: the same motif on a rounded tile with transparent corners.
convert -size 256x256 xc:none \
    \( -size 256x256 gradient:'#5b9bf0'-'#0f3478' \) \
    \( -size 256x256 xc:none -fill white -draw 'roundrectangle 8,8 247,247 44,44' \) \
    -delete 0 -compose CopyOpacity -composite -compose Over \
    -fill white -stroke '#0b2455' -strokewidth 8 -draw 'roundrectangle 52,52 204,204 22,22' \
    -fill none -stroke '#1b5e20' -strokewidth 40 \
    -draw 'stroke-linecap round stroke-linejoin round polyline 82,130 116,164 180,84' \
    -stroke '#43a047' -strokewidth 24 \
    -draw 'stroke-linecap round stroke-linejoin round polyline 82,130 116,164 180,84' \
    "$tmp/ekzamo-256.miff"
convert "$tmp/ekzamo-256.miff" -filter Box -resize 64x64 "${png_opts[@]}" "PNG32:$out/ekzamo.png"
# The desktop's icon theme sizes, from the same drawing; assets/ekzamo.svg is
# its vector twin for the scalable size.
mkdir -p "$out/icons"
for size in 16 32 48 64 128 256; do
    convert "$tmp/ekzamo-256.miff" -filter Box -resize "${size}x${size}" "${png_opts[@]}" "PNG32:$out/icons/ekzamo-$size.png"
done

# Title picture for the splash window: 493x348 true colour. The window
# stretches it to 488x319, so everything keeps a margin from the edges.
tick_box() { # size, file: a white check-box with a green tick, transparent around it
    convert -size 140x140 xc:none \
        -fill '#ffffff' -stroke '#0b2455' -strokewidth 8 -draw 'roundrectangle 6,6 133,133 20,20' \
        -fill none -stroke '#1b5e20' -strokewidth 30 \
        -draw 'stroke-linecap round stroke-linejoin round polyline 32,74 62,104 114,30' \
        -stroke '#43a047' -strokewidth 17 \
        -draw 'stroke-linecap round stroke-linejoin round polyline 32,74 62,104 114,30' \
        -filter Box -resize "$1x$1" "png32:$2"
}
heading=$tmp/heading.png
tick_box 64 "$tmp/box.png"
convert \( "$tmp/box.png" -background none -gravity Center -extent 82x80 \) \
    \( -background none -font "$font_title" -pointsize 76 \
       \( -fill '#0b245570' label:Ekzamo -repage +3+3 \) \
       \( -fill '#123a80' label:Ekzamo \) -layers merge +repage \) \
    -gravity Center +append "png32:$heading"
subtitle='тестирование - проверка знаний - обучение'
convert -size 493x348 gradient:'#e8f1ff'-'#2a5db0' \
    \( -size 493x348 radial-gradient:'#ffffff80'-'#ffffff00' \) -compose Over -composite \
    "$heading" -gravity North -geometry +0+90 -composite \
    -fill '#ffffff' -draw 'rectangle 60,204 433,206' \
    -font "$font_title" -pointsize 19 \
    -fill '#0b2455' -annotate +1+235 "$subtitle" \
    -fill '#ffffff' -annotate +0+234 "$subtitle" \
    "${png_opts[@]}" -type TrueColor "PNG24:$out/title.png"

# Photograph placeholder: a soft, generic head-and-shoulders silhouette on a
# studio-like backdrop, blurred so that it reads as a photo and not a drawing.
convert -size 105x64 gradient:'#8aa4b8'-'#3b4a57' \
    -fill '#2f3b4a' -draw 'ellipse 52,68 38,22 0,360' \
    -fill '#e6e9ee' -draw 'polygon 44,47 52,58 60,47' \
    -fill '#c49a80' -draw 'rectangle 47,36 57,49' \
    -fill '#4a3426' -draw 'ellipse 52,23 14,15 0,360' \
    -fill '#d8b49a' -draw 'ellipse 52,28 12,13 0,360' \
    -fill '#4a3426' -draw 'ellipse 52,16 12,5 0,360' \
    -seed 7 -blur 0x0.8 -attenuate 0.25 +noise Gaussian \
    -strip -interlace none -sampling-factor 2x2 -quality 88 "JPEG:$out/photo.jpg"
