#!/usr/bin/env bash
# Renders the program's icons and pictures from the SVG sources in
# src/resources/icon-src/ into the files that resources.qrc lists.
#
# A developer tool, not part of the build: the outputs are committed, so run
# this only after changing a source and commit what it writes.
#
# Needs rsvg-convert (Debian: librsvg2-bin) and ImageMagick (convert or magick).
# LOGO3 draws its name with DejaVu Sans Bold (fonts-dejavu-core).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
src="$root/src/resources/icon-src"
res="$root/src/resources"
icon="$res/icon"
pic="$res/pic"

command -v rsvg-convert >/dev/null || { echo "rsvg-convert missing (apt-get install librsvg2-bin)" >&2; exit 1; }
if command -v magick >/dev/null; then im=(magick); elif command -v convert >/dev/null; then im=(convert); else
  echo "ImageMagick missing (apt-get install imagemagick)" >&2; exit 1
fi

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$icon" "$pic"

# render <svg> <size> <out.png>
render() { rsvg-convert --width "$2" --height "$3" --keep-aspect-ratio "$1" --output "$4"; }

# Line glyphs: one 64 px PNG each. Qt scales them down smoothly for the
# 16 px menu and button icons and keeps the detail on high-density screens.
png_icons=(NEW load save replace export export2 upload update play pause stop track
  picture capture color flipH slow fast random pen eraser delete)
for name in "${png_icons[@]}"; do
  render "$src/$name.svg" 64 64 "$icon/$name.png"
done

# These three are used as SVG directly (Qt's SVG icon engine renders them).
for name in music-solid magnifying-glass-minus-solid magnifying-glass-plus-solid; do
  cp "$src/$name.svg" "$icon/$name.svg"
done

# ico <out.ico> <size:svg>...: one image per size, smallest first.
ico() {
  local out="$1"; shift
  local pngs=()
  for entry in "$@"; do
    local size="${entry%%:*}" svg="${entry#*:}"
    render "$src/$svg" "$size" "$size" "$tmp/$size.png"
    pngs+=("$tmp/$size.png")
  done
  "${im[@]}" "${pngs[@]}" -define png:exclude-chunks=date,time "$out"
  rm -f "${pngs[@]}"
}

ico "$icon/flipV.ico" 16:flipV.svg 24:flipV.svg 32:flipV.svg 48:flipV.svg 64:flipV.svg

# Window and program icon: the bolder small drawing for 16 and 24 px.
ico "$res/VLOGO.ico" 16:VLOGO-small.svg 24:VLOGO-small.svg 32:VLOGO.svg 48:VLOGO.svg \
  64:VLOGO.svg 128:VLOGO.svg 256:VLOGO.svg

# The installed program and file-type icons (freedesktop hicolor theme):
# the program mark and the two project-file icons as SVG, and PNGs at the
# usual sizes for desktops that do not scale SVG. 16 and 24 px take the
# bolder small drawings.
app_id=com.mervalo.VantorCreator
hicolor="$root/packaging/icons/hicolor"
mkdir -p "$hicolor/scalable/apps" "$hicolor/scalable/mimetypes"
cp "$src/VLOGO.svg" "$hicolor/scalable/apps/$app_id.svg"
cp "$src/mime-project.svg" "$hicolor/scalable/mimetypes/application-x-vantorcreator-project.svg"
cp "$src/mime-old-project.svg" "$hicolor/scalable/mimetypes/application-x-vantorcreator-old-project.svg"
for size in 16 24 32 48 64 128 256; do
  dir="$hicolor/${size}x${size}"
  mkdir -p "$dir/apps" "$dir/mimetypes"
  small=""
  if [ "$size" -le 24 ]; then small=-small; fi
  render "$src/VLOGO$small.svg" "$size" "$size" "$dir/apps/$app_id.png"
  render "$src/mime-project$small.svg" "$size" "$size" \
    "$dir/mimetypes/application-x-vantorcreator-project.png"
  render "$src/mime-old-project$small.svg" "$size" "$size" \
    "$dir/mimetypes/application-x-vantorcreator-old-project.png"
done

# Maker's logo for the about box.
render "$src/LOGO3.svg" 200 80 "$pic/LOGO3.png"

echo "icons written to $icon, $pic, $res/VLOGO.ico and $hicolor"
