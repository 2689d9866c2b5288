#!/usr/bin/env bash
# Draws resources/ondrel_icon.png: an accented letter on a key cap, 48 x 48, and the
# Windows icon resources/ondrel.ico from it.
# Needs ImageMagick and the DejaVu fonts. The PNG is committed, so building the
# program does not need this script; run it again only to change the icon.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/resources/ondrel_icon.png"
font=$(fc-match -f '%{file}' 'DejaVu Sans:bold')
convert -size 48x48 xc:none \
    -fill '#1f3a5f' -draw 'roundrectangle 2,3 45,46 9,9' \
    -fill '#3f6fa8' -draw 'roundrectangle 2,2 45,41 9,9' \
    -fill '#f4f6f9' -draw 'roundrectangle 6,5 41,37 7,7' \
    -font "$font" -pointsize 30 -fill '#1f3a5f' -gravity center \
    -annotate +0-3 'é' \
    -strip "PNG32:$out"
convert "$out" -define icon:auto-resize=48,32,16 "${out%/*}/ondrel.ico"
echo "wrote $out and ondrel.ico"
