#!/bin/sh
# Makes the about window's picture, res/about.JPG: a 200 × 366 colour JPEG in
# portrait format, drawn here from shapes only (no photograph, no font): an
# abacus above a ruled ledger sheet on a blue-to-teal ground. Needs ImageMagick's
# convert. The same input gives the same file.
set -eu
cd "$(dirname "$0")"

# Drawn at twice the size and scaled down, for smooth edges.
w=400
h=732

# Beads of one rod: upper deck (one bead, up or down) and lower deck (counted
# from the bar). Each rod shows one digit; together they read 2 0 0 1 0 5 1.
beads() { # x upper_down lower_count
    x=$1
    if [ "$2" = 1 ]; then uy=170; else uy=128; fi
    printf "fill '#f4a261' ellipse %d,%d 16,11 0,360 " "$x" "$uy"
    i=0
    while [ $i -lt 4 ]; do
        if [ $i -lt "$3" ]; then y=$((216 + i * 24)); else y=$((268 + i * 24)); fi
        printf "fill '#e9c46a' ellipse %d,%d 16,11 0,360 " "$x" "$y"
        i=$((i + 1))
    done
}
rods=""
n=0
for counts in "0 2" "0 0" "0 0" "0 1" "0 0" "1 0" "0 1"; do
    x=$((92 + n * 36))
    rods="$rods line $x,110 $x,362 "
    # shellcheck disable=SC2086
    beads=$(beads $x $counts)
    all_beads="${all_beads:-} $beads"
    n=$((n + 1))
done

convert -size ${w}x${h} gradient:'#1d3557-#2a9d8f' \
    -fill '#ffffff14' -draw 'circle 330,90 330,190' \
    -fill '#ffffff10' -draw 'circle 60,600 60,700' \
    -fill '#ffffff0c' -draw 'circle 360,640 360,690' \
    -fill '#5c3a1e' -draw 'roundrectangle 50,96 350,382 14,14' \
    -fill '#f1e3c8' -draw 'rectangle 66,112 334,366' \
    -stroke '#6b4a2b' -strokewidth 4 -draw "$rods" \
    -stroke none -fill '#5c3a1e' -draw 'rectangle 66,192 334,204' \
    -stroke '#7a4a22' -strokewidth 1 -draw "$all_beads" \
    -stroke none -fill '#00000030' -draw 'roundrectangle 66,438 346,690 10,10' \
    -fill '#fbfaf5' -draw 'roundrectangle 58,428 338,680 10,10' \
    -stroke '#9fc3d6' -strokewidth 2 \
    -draw 'line 74,480 322,480 line 74,512 322,512 line 74,544 322,544 line 74,576 322,576 line 74,608 322,608 line 74,640 322,640' \
    -stroke '#d62828' -draw 'line 116,444 116,664' \
    -stroke none -fill '#1d3557' \
    -draw 'rectangle 128,490 238,500 rectangle 258,490 312,500' \
    -draw 'rectangle 128,522 214,532 rectangle 270,522 312,532' \
    -draw 'rectangle 128,554 250,564 rectangle 264,554 312,564' \
    -fill '#d62828' -draw 'rectangle 128,618 226,628 rectangle 246,618 312,628' \
    -fill '#e9c46a' -draw 'rectangle 58,428 338,454' \
    -fill '#1d3557' -draw 'rectangle 74,437 190,445' \
    -resize 200x366 -strip -quality 92 -sampling-factor 4:2:0 JPEG:about.JPG
echo "res/about.JPG: $(identify -format '%wx%h %[colorspace] %b' about.JPG)"
