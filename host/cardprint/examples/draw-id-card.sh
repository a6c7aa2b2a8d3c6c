#!/usr/bin/env bash
# Draws the example card design, id-card.png: a photo-and-text identity card
# of 1024 by 656 pixels (a landscape card at 300 dots per inch), with a
# coloured background, a portrait, text, a pure black bar code and a logo.
# Needs ImageMagick and the DejaVu fonts; the PNG it makes is committed, so
# printing the example needs neither.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert
[[ -x "$convert" ]] || convert=convert
font=DejaVu-Sans
bold=DejaVu-Sans-Bold

"$convert" -size 1024x656 gradient:'#e8f1fb'-'#ffffff' \
  -fill '#1d4e89' -draw 'rectangle 0,0 1023,118' \
  -fill '#f2a541' -draw 'rectangle 0,118 1023,128' \
  -fill white -font "$bold" -pointsize 52 -annotate +40+82 'CARDPRINT CLUB' \
  -fill '#f2a541' -draw 'circle 940,60 940,18' \
  -fill '#1d4e89' -draw 'circle 940,60 940,36' \
  -fill '#c9d8e8' -draw 'roundrectangle 40,168 330,560 18,18' \
  -fill '#3b6ea5' -draw 'ellipse 185,560 125,120 180,360' \
  -fill '#e0b48f' -draw 'rectangle 165,380 205,440' \
  -fill '#e0b48f' -draw 'ellipse 185,320 72,88 0,360' \
  -fill '#4a3426' -draw 'ellipse 185,262 76,48 180,360' \
  -fill '#222222' -draw 'circle 160,322 160,314' -draw 'circle 210,322 210,314' \
  -fill none -stroke '#8a4b3a' -strokewidth 5 -draw 'arc 160,345 210,375 20,160' -stroke none \
  -fill '#1d4e89' -font "$font" -pointsize 26 -annotate +380+200 'NAME' \
  -fill black -font "$bold" -pointsize 54 -annotate +380+258 'ALEX SAMPLE' \
  -fill '#1d4e89' -font "$font" -pointsize 26 -annotate +380+318 'MEMBER NUMBER' \
  -fill '#c0392b' -font "$bold" -pointsize 44 -annotate +380+368 '0042 1977 5' \
  -fill '#1d4e89' -font "$font" -pointsize 26 -annotate +380+420 'VALID UNTIL' \
  -fill '#2e7d32' -font "$bold" -pointsize 40 -annotate +380+466 '12 / 2030' \
  -fill black -draw 'rectangle 380,520 384,600' -draw 'rectangle 390,520 392,600' \
  -draw 'rectangle 398,520 404,600' -draw 'rectangle 410,520 411,600' -draw 'rectangle 416,520 421,600' \
  -draw 'rectangle 428,520 430,600' -draw 'rectangle 436,520 443,600' -draw 'rectangle 448,520 449,600' \
  -draw 'rectangle 454,520 458,600' -draw 'rectangle 464,520 466,600' -draw 'rectangle 472,520 478,600' \
  -draw 'rectangle 484,520 485,600' -draw 'rectangle 490,520 494,600' -draw 'rectangle 500,520 503,600' \
  -draw 'rectangle 508,520 514,600' -draw 'rectangle 520,520 521,600' -draw 'rectangle 526,520 531,600' \
  -fill '#f2a541' -draw 'polygon 860,470 900,560 980,560 1000,470' \
  -fill '#1d4e89' -font "$bold" -pointsize 28 -annotate +872+530 'GOLD' \
  -strip -define png:compression-level=9 PNG24:id-card.png
