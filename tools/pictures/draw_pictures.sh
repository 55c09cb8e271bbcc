#!/bin/sh
# Draws the splash picture (247 x 175) and the about box's logo (251 x 105) into about/pictures/.
# Needs ImageMagick's convert and the DejaVu fonts. The JPEG files it writes are committed; run it
# again only to change the pictures:  sh tools/pictures/draw_pictures.sh
set -eu

CONVERT=${CONVERT:-convert}
OUT=$(cd "$(dirname "$0")/../../about/pictures" && pwd)
SANS=DejaVu-Sans-Bold
MONO=DejaVu-Sans-Mono-Bold

# An airliner seen from above, nose up, about 60 pixels long; callers move, turn and scale it.
PLANE='polygon 0,-30 3,-26 3,-7 28,5 28,10 3,4 3,18 10,24 10,27 0,25 -10,27 -10,24 -3,18 -3,4 -28,10 -28,5 -3,-7 -3,-26'

# Splash: an evening sky with the airliner climbing over the name, and a departure board below.
"$CONVERT" -size 247x175 gradient:'#0b1d4a'-'#3d7cc4' \
    -fill '#ffffffd0' -stroke none -draw "translate 196,40 rotate 55 scale 0.9,0.9 $PLANE" \
    -fill white -font "$SANS" -pointsize 34 -annotate +14+50 'Quorvel' \
    -fill '#c8d8f0' -font "$SANS" -pointsize 10 -annotate +16+66 'Timetables for the sky' \
    -fill '#101010' -stroke '#5a5a5a' -strokewidth 2 -draw 'rectangle 8,80 238,167' \
    -stroke none -fill '#262626' -draw 'rectangle 12,84 234,97' \
    -fill '#ffcc33' -font "$MONO" -pointsize 10 \
    -annotate +16+94  'FLIGHT  DESTINATION  TIME' \
    -annotate +16+112 'QV 101  LISBON       08:15' \
    -annotate +16+128 'QV 220  OSLO         09:40' \
    -annotate +16+144 'QV 318  CAIRO        11:05' \
    -fill '#66dd66' -annotate +16+160 'QV 402  QUITO        BOARDING' \
    -strip -quality 90 -sampling-factor 2x2 "$OUT/splash.jpg"

# Logo: the name beside the airliner on a pale band with a board-amber rule.
"$CONVERT" -size 251x105 gradient:'#ffffff'-'#dbe6f5' \
    -fill '#0b1d4a' -stroke none -draw "translate 46,52 rotate 45 scale 1.2,1.2 $PLANE" \
    -fill '#0b1d4a' -font "$SANS" -pointsize 36 -annotate +88+56 'Quorvel' \
    -fill '#ffcc33' -draw 'rectangle 90,66 236,70' \
    -fill '#3d5a80' -font "$SANS" -pointsize 9 -annotate +90+86 'for MS- Flight Simulator 2002' \
    -strip -quality 90 -sampling-factor 2x2 "$OUT/logo.jpg"
