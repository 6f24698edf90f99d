#!/bin/sh
# Draws the program's images with ImageMagick 6 and writes them into the source tree:
#   src/app/res/PelnixCpl.ico       program icon, 16, 32, 48 and 256 pixels
#   src/ui/res/uncalibrated.bmp     list image of a touch screen not yet calibrated
#   src/ui/res/calibrated.bmp       list image of a calibrated touch screen
#   src/ui/res/logo.bmp             wordmark of the main and About windows
# and the same three images for monitors at 150 % and 200 % (uncalibrated-150.bmp,
# logo-200.bmp and so on), one and a half and two times as large.
# The build uses the committed files; run this only to change the artwork, then commit the
# results. Everything is drawn four times larger (at 100 %) and scaled down, which gives
# smooth edges at every size.
set -eu

cd "$(dirname "$0")/.."
CONVERT=${CONVERT:-convert}
FONT_BOLD=${FONT_BOLD:-DejaVu-Sans-Condensed-Bold}
FONT=${FONT:-DejaVu-Sans-Condensed}
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# Palette. The list images are keyed on pure magenta and pure black, so no colour drawn
# here is either of those.
BEZEL='#3b4048'
OUTLINE='#1e2125'
STAND='#5a606a'
BASE='#6d737d'
SCREEN='#3f86db'
SCREEN_EDGE='#2c66b3'
GLARE='rgba(255,255,255,0.16)'
SKIN='#f1c19d'
SKIN_EDGE='#a8734f'
NAIL='#f8e0d2'

# --- List images: a touch screen monitor, 288 x 232 (4 x 72 x 58) -------------------------
# $1: output PNG with alpha; the rest: draw options of the status badge.
draw_list_monitor() {
  out=$1; shift
  "$CONVERT" -size 288x232 xc:none \
    -stroke "$OUTLINE" -strokewidth 4 \
    -fill "$STAND" -draw "polygon 124,174 164,174 170,200 118,200" \
    -fill "$BASE" -draw "roundrectangle 80,198 208,214 8,8" \
    -fill "$BEZEL" -draw "roundrectangle 22,8 266,176 16,16" \
    -stroke "$SCREEN_EDGE" -strokewidth 3 \
    -fill "$SCREEN" -draw "rectangle 40,24 248,156" \
    -stroke none -fill "$GLARE" -draw "polygon 41,25 180,25 41,120" \
    -fill none -stroke 'rgba(255,255,255,0.30)' -strokewidth 5 -draw "circle 144,90 144,36" \
    -stroke 'rgba(255,255,255,0.60)' -strokewidth 6 -draw "circle 144,90 144,56" \
    -stroke none -fill 'rgba(255,255,255,0.95)' -draw "circle 144,90 144,74" \
    "$@" \
    "$out"
}

# Scales a list image down into the bottom 44 rows of 72 x 58, its top 14 rows left empty (the
# main window's list scrolls them out of sight, so the whole item fits the list), and puts it
# on its key colour as a 24-bit BMP. The edge is made hard first, so no half-blended pixels of
# the key colour fringe the drawing.
finish_list_image() { # $1: input PNG, $2: key colour, $3: output BMP, $4: percent (100)
  percent=${4:-100}
  "$CONVERT" "$1" -filter Lanczos -resize $((72 * percent / 100))x$((44 * percent / 100)) \
    -background none -gravity south -extent $((72 * percent / 100))x$((58 * percent / 100)) \
    -channel A -threshold 50% +channel \
    -background "$2" -alpha remove -alpha off \
    -type TrueColor "BMP3:$3"
}
# The list images at 100, 150 and 200 %: name.bmp, name-150.bmp, name-200.bmp.
finish_list_images() { # $1: input PNG, $2: key colour, $3: output name without .bmp
  finish_list_image "$1" "$2" "$3.bmp"
  finish_list_image "$1" "$2" "$3-150.bmp" 150
  finish_list_image "$1" "$2" "$3-200.bmp" 200
}

draw_list_monitor "$TMP/calibrated.png" \
  -stroke '#1c6b2c' -strokewidth 4 -fill '#2f9e44' -draw "circle 238,170 238,130" \
  -stroke white -strokewidth 13 -fill none \
  -draw "stroke-linecap round stroke-linejoin round polyline 218,171 233,187 259,153"
finish_list_images "$TMP/calibrated.png" 'rgb(0,0,0)' src/ui/res/calibrated

draw_list_monitor "$TMP/uncalibrated.png" \
  -stroke '#5f646b' -strokewidth 4 -fill '#9a9fa6' -draw "circle 238,170 238,130" \
  -stroke none -fill white -font "$FONT_BOLD" -pointsize 68 -gravity NorthWest \
  -annotate +219+130 '?'
finish_list_images "$TMP/uncalibrated.png" 'rgb(255,0,255)' src/ui/res/uncalibrated

# --- Program icon: a monitor touched by a fingertip, drawn in a 256 frame at 1024 --------
# $1: output PNG.
draw_icon() {
  finger="push graphic-context
      translate 124,112 rotate -32
      stroke $SKIN_EDGE stroke-width 4 fill $SKIN roundrectangle -23,-6 23,190 23,23
      stroke #c9957a stroke-width 3 fill $NAIL roundrectangle -14,2 14,42 13,13
      stroke $SKIN_EDGE stroke-width 3 fill none path 'M -16,74 Q 0,80 16,74'
      pop graphic-context"
  "$CONVERT" -size 1024x1024 xc:none -draw "scale 4,4
    stroke $OUTLINE stroke-width 5
    fill $STAND polygon 106,186 150,186 158,216 98,216
    fill $BASE roundrectangle 58,212 198,232 9,9
    fill $BEZEL roundrectangle 10,24 246,190 16,16
    stroke $SCREEN_EDGE stroke-width 3 fill $SCREEN rectangle 26,40 230,172
    stroke none fill $GLARE polygon 27,41 150,41 27,128
    fill none stroke rgba(255,255,255,0.28) stroke-width 6 circle 124,106 124,44
    stroke rgba(255,255,255,0.55) stroke-width 7 circle 124,106 124,66
    stroke none fill rgba(255,255,255,0.95) circle 124,106 124,88
    $finger" "$1"
}

# At 16 pixels the finger and rings are a blur: a simpler drawing on the pixel grid
# (64 = 4 x 16), with one ring and a bold touch point.
draw_icon_small() { # $1: output PNG
  "$CONVERT" -size 64x64 xc:none -stroke none \
    -fill "$OUTLINE" -draw "roundrectangle 0,4 63,51 7,7" \
    -fill "$BEZEL" -draw "roundrectangle 3,7 60,48 4,4" \
    -fill "$SCREEN" -draw "rectangle 7,11 56,43" \
    -fill "$OUTLINE" -draw "polygon 24,51 40,51 42,57 22,57" \
    -fill "$OUTLINE" -draw "roundrectangle 12,54 52,63 3,3" \
    -fill "$BASE" -draw "roundrectangle 15,56 49,61 2,2" \
    -fill none -stroke 'rgba(255,255,255,0.70)' -strokewidth 4 -draw "circle 32,27 32,14" \
    -stroke none -fill white -draw "circle 32,27 32,21" \
    "$1"
}

draw_icon "$TMP/icon.png"
draw_icon_small "$TMP/icon-small.png"
"$CONVERT" \
  \( "$TMP/icon.png" -filter Lanczos -resize 256x256 \) \
  \( "$TMP/icon.png" -filter Lanczos -resize 48x48 \) \
  \( "$TMP/icon.png" -filter Lanczos -resize 32x32 \) \
  \( "$TMP/icon-small.png" -filter Box -resize 16x16 \) \
  -depth 8 src/app/res/PelnixCpl.ico

# --- Logo: a small touch motif and the wordmark, 144 x 47 on the dialog colour ------------
"$CONVERT" -size 576x188 'xc:rgb(236,233,216)' \
  -stroke "$OUTLINE" -strokewidth 4 \
  -fill "$STAND" -draw "polygon 48,124 72,124 76,140 44,140" \
  -fill "$BASE" -draw "roundrectangle 24,138 96,148 5,5" \
  -fill "$BEZEL" -draw "roundrectangle 4,36 116,126 10,10" \
  -stroke "$SCREEN_EDGE" -strokewidth 3 -fill "$SCREEN" -draw "rectangle 14,46 106,116" \
  -stroke none -fill "$GLARE" -draw "polygon 15,47 80,47 15,96" \
  -fill none -stroke 'rgba(255,255,255,0.35)' -strokewidth 4 -draw "circle 60,81 60,51" \
  -stroke 'rgba(255,255,255,0.65)' -strokewidth 5 -draw "circle 60,81 60,63" \
  -stroke none -fill 'rgba(255,255,255,0.95)' -draw "circle 60,81 60,72" \
  -font "$FONT_BOLD" -pointsize 82 -gravity NorthWest \
  -fill '#1f3f73' -annotate +132+22 'Pelnix' \
  -fill "$SCREEN_EDGE" -annotate +384+22 'Cpl' \
  -fill '#2c66b3' -draw "rectangle 134,122 568,127" \
  -font "$FONT" -pointsize 34 -fill '#4a4f57' -annotate +134+134 'Touch Screen Control Panel' \
  "$TMP/logo.png"
"$CONVERT" "$TMP/logo.png" -filter Lanczos -resize 144x47 -type TrueColor BMP3:src/ui/res/logo.bmp
"$CONVERT" "$TMP/logo.png" -filter Lanczos -resize 216x71! -type TrueColor BMP3:src/ui/res/logo-150.bmp
"$CONVERT" "$TMP/logo.png" -filter Lanczos -resize 288x94! -type TrueColor BMP3:src/ui/res/logo-200.bmp
