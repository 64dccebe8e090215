#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the start-up picture VEZODovi.jpg from text and shapes with ImageMagick and the IPA
# fonts (both installed by scripts/install-deps). The window shows it stretched to 350 x 200;
# it is drawn at twice that size so it stays sharp on larger screens.
#   data/make_splash.sh [OUT]      (default: VEZODovi.jpg beside this script)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/VEZODovi.jpg}"
gothic=/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf
mincho=/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf
for f in "$gothic" "$mincho"; do
  [ -r "$f" ] || { echo "make_splash: font $f missing (run scripts/install-deps)" >&2; exit 1; }
done

# An open arc around the antenna's top as short straight strokes: radius, first and last angle.
wave() {
  awk -v r="$1" -v a="$2" -v b="$3" 'BEGIN {
    k = 3.14159265 / 180
    for (d = a; d < b; d += 5)
      printf "line %d,%d %d,%d ", 560 + r * cos(d * k), 118 + r * sin(d * k),
                                  560 + r * cos((d + 5) * k), 118 + r * sin((d + 5) * k)
  }'
}

# Night-blue sky, a mast with a Yagi antenna on the right, radio waves rising from it, the
# program's name with a raised look (white copy one step down and right), and a ground line.
convert -size 700x400 gradient:'#0b2a5b-#2f6db5' \
  -fill none -stroke '#9fd3ff' -strokewidth 4 \
  -draw "$(wave 45 215 325)" \
  -draw "$(wave 75 220 320)" \
  -draw "$(wave 105 225 315)" \
  -stroke '#e8e8e8' -strokewidth 6 \
  -draw "line 560,120 560,330" \
  -draw "line 490,130 640,130" \
  -strokewidth 4 \
  -draw "line 505,110 505,150" -draw "line 535,105 535,155" \
  -draw "line 585,108 585,152" -draw "line 615,112 615,148" \
  -stroke none -fill '#1d4b23' -draw "rectangle 0,330 700,400" \
  -fill '#3c8a3f' -draw "rectangle 0,326 700,334" \
  -font "$gothic" -pointsize 84 \
  -fill '#0a1a33' -annotate +44+124 'VEZODovi' \
  -fill white -annotate +40+120 'VEZODovi' \
  -font "$mincho" -pointsize 34 \
  -fill '#0a1a33' -annotate +46+186 'ログ管理プログラム' \
  -fill '#ffe9a8' -annotate +44+184 'ログ管理プログラム' \
  -font "$gothic" -pointsize 22 \
  -fill '#d8e8ff' -annotate +46+236 'Amateur Radio Log Management' \
  -annotate +46+266 'for Linux' \
  -pointsize 20 -fill '#e0f0e0' -annotate +46+376 'QSO  •  QSL  •  JCC  •  Calendar' \
  -strip -quality 90 -sampling-factor 2x2 "$out"
echo "make_splash: wrote $out"
