#!/usr/bin/env bash
# Draws the program's own pictures with ImageMagick: the strip of 16 x 16
# menu images (res/images/menu.bmp, magenta is transparent), the 300 x 60
# banner of the about box (res/images/banner.jpg) and the program's icons
# (res/images/normal.ico, paused.ico) in the sizes Windows asks for at 100% to
# 200%: 16, 20, 24, 32 and 48 pixels. The results are committed;
# run this again only to change a picture.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
font=$(fc-list ':lang=zh' file | grep -i zenhei | head -n1 | cut -d: -f1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Image number, colour and glyph. The numbers are the roles the menus use:
# 0 pause, 1 exit, 2 help (also the list's fallback icon), 3 about, 4 mail,
# 5 home page, 6 edit schemes, 7 change, 8 choose scheme, 9 start at log-on,
# 10 new scheme, 11 delete, 12 show, 13 add, 14 spare, 15 resume, 16 lock,
# 17 upgrade, 18 settings, 19 a hotkey the system refused.
images=(
  "#d9822b 停" "#c0392b 退" "#2e6fd0 ?" "#2e6fd0 i" "#2f9e57 信"
  "#178c8c 网" "#7d4fb3 编" "#7d4fb3 改" "#178c8c 方" "#2f9e57 启"
  "#2f9e57 新" "#c0392b 删" "#2e6fd0 显" "#2f9e57 +" "#8c8c8c ·"
  "#2f9e57 开" "#c9a000 锁" "#2e6fd0 升" "#6b6b6b 设" "#e02020 !"
)
files=()
for i in "${!images[@]}"; do
  read -r colour glyph <<<"${images[$i]}"
  # The rounded square without anti-aliasing: an edge pixel blended with the
  # magenta would stay as a pink fringe once magenta is made transparent.
  # The glyph is smoothed against the square's own colour.
  convert -size 16x16 xc:magenta +antialias -fill "$colour" -draw "roundrectangle 0,0 15,15 3,3" \
    -antialias -font "$font" -pointsize 12 -fill white -gravity center -annotate +0+0 "$glyph" \
    "$work/$i.png"
  files+=("$work/$i.png")
done
convert "${files[@]}" +append -alpha off -type TrueColor BMP3:"$root/res/images/menu.bmp"

convert -size 60x300 gradient:'#1f3f7f-#4f8fd8' -rotate 270 \
  -font "$font" -fill white -pointsize 26 -gravity west -annotate +14-6 'Tavrelin' \
  -pointsize 12 -fill '#dfe9ff' -gravity west -annotate +16+18 '一键直达 · 热键管理' \
  -fill '#ffffff40' -draw 'circle 262,30 262,4' -fill '#ffffff30' -draw 'circle 285,48 285,36' \
  -quality 90 "$root/res/images/banner.jpg"

# The icons: a rounded square with a white T, drawn large and scaled down to
# each size, so that every size has smooth edges of its own.
for icon in "normal #1e6fd9" "paused #8a8a8a"; do
  read -r name colour <<<"$icon"
  convert -size 256x256 xc:none -fill "$colour" -draw "roundrectangle 8,8 247,247 40,40" \
    -fill white -draw "rectangle 64,56 191,95" -draw "rectangle 108,95 151,207" "$work/$name.png"
  sizes=()
  for size in 16 20 24 32 48; do
    convert "$work/$name.png" -filter Box -resize "${size}x${size}" "$work/$name-$size.png"
    sizes+=("$work/$name-$size.png")
  done
  convert "${sizes[@]}" "$root/res/images/$name.ico"
done
