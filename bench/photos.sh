#!/usr/bin/env bash
# Makes, once, COUNT photo-like 4000x3000 JPEG files (quality 90) named photoNN.jpg
# in DIR, the decode benchmarks' common input.
#   bench/photos.sh DIR COUNT
set -euo pipefail
dir="$1"
count="$2"
mkdir -p "$dir"
CONVERT="$(command -v /usr/bin/convert || command -v convert)"  # ImageMagick itself, not a stand-in earlier on PATH
for i in $(seq 1 "$count"); do
  f="$dir/photo$(printf %02d "$i").jpg"
  if [ ! -s "$f" ]; then
    echo "making $f"
    timeout 300 "$CONVERT" -seed "$i" -size 1000x750 plasma:fractal -resize 4000x3000 \
      -attenuate 0.4 +noise Gaussian -quality 90 "$f"
  fi
done
