#!/usr/bin/env bash
# The plug-in tests' pictures, made once in OUT with the libraries' own native tools
# (heif-enc, cwebp, img2webp, dcraw_emu) and ImageMagick, each beside the picture it
# should decode to as an 8-bit PPM (alpha composed on white), made by another decoder:
#   make-pictures.sh OUT HEIF-SOURCE WEBP-SOURCE
# HEIF-SOURCE and WEBP-SOURCE are the unpacked libheif and libwebp sources, whose
# example files and libheif's fuzzing corpus come along.
set -euo pipefail
out=$1 heif="$(cd "$2" && pwd)" webp="$(cd "$3" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
rm -rf "$out.new"
mkdir -p "$out.new/corpus"
cd "$out.new"
ppm() { convert "$1" -background white -alpha remove -alpha off -depth 8 "$2"; }
# libheif's own decode of the primary picture (heif-convert numbers them when there are
# several, the primary first).
heif_ppm() {
  heif-convert "$1" heif.png >/dev/null
  if [ -f heif.png ]; then ppm heif.png "$1.ppm"; else ppm heif-1.png "$1.ppm"; fi
  rm -f heif*.png
}

# Upright quadrants: red, green / blue, white.
convert -size 32x16 xc:red xc:lime +append \( -size 32x16 xc:blue xc:white +append \) -append -depth 8 PNG24:q.png
convert q.png -depth 16 q16.png

# The libraries' own examples; libwebp's carries its reference decode.
cp "$heif/examples/example.heic" "$heif/examples/example.avif" "$heif/fuzzing/corpus/colors-with-alpha.heic" .
cp "$heif/fuzzing/corpus/"* corpus/
cp "$webp/examples/test.webp" .
cp "$webp/examples/test_ref.ppm" test.webp.ppm
for f in example.heic example.avif colors-with-alpha.heic; do heif_ppm "$f"; done

# HEIF: every container orientation, 10 and 12 bits.
heif-enc -q 90 q.png -o q.heic >/dev/null
for o in 1 2 3 4 5 6 7 8; do
  python3 "$root/scripts/heif-orient" q.heic "turned$o.heic" "$o"
  heif_ppm "turned$o.heic"
done
heif-enc -b 10 q16.png -o q10.heic >/dev/null
heif-enc -b 12 -p chroma=444 q16.png -o q12.avif >/dev/null
for f in q10.heic q12.avif; do heif_ppm "$f"; done

# WebP: transparency, and an animation whose first frame is red.
convert -size 16x8 xc:'rgba(0,0,255,0.5)' xc:'rgba(255,0,0,1)' +append alpha.png
cwebp -quiet -lossless alpha.png -o alpha.webp
ppm alpha.png alpha.webp.ppm
convert -size 16x16 xc:red red.png
convert -size 16x16 xc:blue blue.png
img2webp -lossless red.png blue.png -o animated.webp >/dev/null
ppm red.png animated.webp.ppm

# RAW: DNG files with a full-size preview in every orientation, and one whose preview
# is too small, developed from its sensor data at half size as LibRaw's own tool does.
convert -size 600x300 xc:red xc:lime +append \( -size 600x300 xc:blue xc:white +append \) -append \
  -quality 95 preview.jpg
for o in 1 2 3 4 5 6 7 8; do
  python3 "$root/scripts/make-dng" "turned$o.dng" --raw 64x32 --preview preview.jpg --orientation "$o"
  convert preview.jpg -orient "$(sed -n "${o}p" <<'ORIENT'
TopLeft
TopRight
BottomRight
BottomLeft
LeftTop
RightTop
RightBottom
LeftBottom
ORIENT
)" -auto-orient -depth 8 "turned$o.dng.ppm"
done
convert -size 160x80 xc:gray -quality 90 small.jpg
python3 "$root/scripts/make-dng" developed.dng --raw 200x100 --preview small.jpg --orientation 6
dcraw_emu -h -w -T developed.dng
ppm developed.dng.tiff developed.dng.ppm
rm -f ./*.png ./*.jpg ./*.tiff q.heic
cd ..
rm -rf "$out"
mv "$out.new" "$out"
