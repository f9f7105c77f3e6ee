#!/bin/sh
# Makes the program's icon, res/icon.png: a bold red 滞 (overdue) on a grey
# rounded square, 48 × 48 pixels with an alpha channel; and the same drawing as
# res/icon.ico, at 16 to 256 pixels, for the Windows program and its shortcuts.
# Needs ImageMagick's convert and the Noto CJK fonts (fonts-noto-cjk).
set -eu
cd "$(dirname "$0")"
font=Noto-Sans-CJK-SC-Bold
convert -list font | grep -q "Font: $font\$" || { echo "font $font is missing (fonts-noto-cjk)" >&2; exit 1; }
# Drawn at four times the size and scaled down, for smooth edges.
draw() { # size in pixels, then the output's options and name
    size=$1
    shift
    convert -size 192x192 xc:none \
        -fill '#6e6e6e' -draw 'roundrectangle 4,4 187,187 36,36' \
        -fill '#b4b4b4' -draw 'roundrectangle 12,12 179,179 30,30' \
        -font "$font" -pointsize 150 -fill '#d40000' -gravity center \
        -annotate +0+6 '滞' \
        -resize "${size}x$size" "$@"
}
draw 48 -define png:color-type=6 -strip PNG32:icon.png
echo "res/icon.png: $(identify -format '%wx%h %[channels]' icon.png)"
draw 256 -strip -define icon:auto-resize=256,48,32,24,16 icon.ico
echo "res/icon.ico: $(identify -format '%wx%h ' icon.ico)"
