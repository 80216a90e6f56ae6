#!/usr/bin/env bash
# Draws the window icon with ImageMagick and writes the committed images beside this script:
# velmora-16.png ... velmora-256.png (16, 32 and 48 are the window icon; all six go into the
# desktop's icon theme) and velmora.ico (Windows: 16, 32 and 48 px, each at 16 colours, 256
# colours and 32-bit colour).
# Run it again after changing the drawing; the build itself never runs it.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The master, drawn on a 192-unit grid at 768 px so that even the 256 px image is scaled down:
# a blue rounded square, a white play triangle and two light-yellow subtitle lines, the colour of
# the subtitle movie's first background.
convert -size 768x768 xc:none \
  -fill '#1f5fbf' -draw 'scale 4,4 roundrectangle 6,6 185,185 36,36' \
  -fill '#3f86e6' -draw 'scale 4,4 roundrectangle 14,14 177,120 28,28' \
  -fill white -draw 'scale 4,4 polygon 70,28 70,108 134,68' \
  -fill '#ffffc0' -draw 'scale 4,4 roundrectangle 30,132 161,148 8,8' \
  -fill '#ffffc0' -draw 'scale 4,4 roundrectangle 54,158 137,172 7,7' \
  "$work/master.png"

for size in 16 32 48 64 128 256; do
  convert "$work/master.png" -filter Lanczos -resize ${size}x${size} -strip "PNG32:velmora-$size.png"
done

# The .ico: per size a 4-bit, an 8-bit and a 32-bit image, each with its transparency mask.
python3 assemble_ico.py velmora.ico velmora-16.png velmora-32.png velmora-48.png
