#!/usr/bin/env bash
# WIC plug-in benchmark: makes photo-like 4000x3000 JPEG files at quality 90 (once,
# in the build tree), then runs wic_bench under Wine: each file decoded through the
# library's OLE loader path and through its plug-in path with VelmoraWic.spi, with
# the median milliseconds per decode of each. Then the same pictures as HEIC, AVIF and
# WebP files (made once with heif-enc and cwebp) and as DNG files carrying them as a
# full-size preview (scripts/make-dng): each through the plug-in under Wine against the
# same library's own tool run natively on the same files, in the same run: heif-convert
# (to raw YUV), dwebp (to PPM), simple_dcraw -e (the preview's bytes) followed by djpeg.
#   bench/wic/run.sh [count] [rounds]
set -euo pipefail
SUITE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
SUITE_BUILD="${SUITE_BUILD:-$SUITE_ROOT/build}"
COUNT="${1:-8}"
ROUNDS="${2:-3}"
DATA="$SUITE_BUILD/bench-data/photos"
TREE="$SUITE_BUILD/win64"
mkdir -p "$DATA"

cmake --build "$TREE" --target wic_bench VelmoraWic -j 2 >/dev/null
for tool in heif-enc heif-convert cwebp dwebp simple_dcraw djpeg; do
  command -v "$tool" >/dev/null || { echo "wic bench: $tool is missing (bash scripts/setup)" >&2; exit 1; }
done

bash "$SUITE_ROOT/bench/photos.sh" "$DATA" "$COUNT"

to_windows() { echo "Z:$1" | tr / '\\'; }
out="$SUITE_BUILD/bench-data/wic-bench.txt"
timeout 1800 bash "$SUITE_ROOT/scripts/wine" "$TREE/bench/wic/wic_bench.exe" \
  "$(to_windows "$TREE/thumbctl/wic/VelmoraWic.spi")" "$(to_windows "$DATA")" "$ROUNDS" | tr -d '\r' | tee "$out"

awk '/^summary/ {
  for (i = 2; i < NF; i += 2) v[$i] = $(i + 1)
  printf "median per decode over %d decodes: OLE loader %.1f ms, VelmoraWic.spi %.1f ms (plug-in / OLE %.2f)\n",
    v["decodes"], v["ole_median_ms"], v["plugin_median_ms"], v["plugin_over_ole"]
}' "$out"

# ---- the plug-in's own decoders against the libraries' tools ----
for f in "$DATA"/photo*.jpg; do
  base="${f%.jpg}"
  [ -s "$base.heic" ] || timeout 600 heif-enc -q 90 "$f" -o "$base.heic" >/dev/null
  [ -s "$base.avif" ] || timeout 900 heif-enc -A -q 90 -p speed=8 "$f" -o "$base.avif" >/dev/null
  [ -s "$base.webp" ] || timeout 300 cwebp -quiet -q 90 "$f" -o "$base.webp"
  [ -s "$base.dng" ] || python3 "$SUITE_ROOT/scripts/make-dng" "$base.dng" --raw 4000x3000 --preview "$f"
done
scratch="$SUITE_BUILD/bench-data/wic-tools"
mkdir -p "$scratch"
now_ms() { date +%s%N | awk '{ printf "%.3f", $1 / 1e6 }'; }
# tool_median EXT COMMAND...: the median wall time of COMMAND FILE over every file and round.
tool_median() {
  local ext=$1 f t0 r
  shift
  for r in $(seq 1 "$ROUNDS"); do
    for f in "$DATA"/photo*."$ext"; do
      t0=$(now_ms)
      "$@" "$f" >/dev/null 2>&1 || { echo "wic bench: $* $f failed" >&2; return 1; }
      awk -v a="$t0" -v b="$(now_ms)" 'BEGIN { printf "%.1f\n", b - a }'
    done
  done | sort -n | awk '{ v[NR] = $1 } END { print v[int(NR / 2) + 1] }'
}
heif_tool() { heif-convert "$1" "$scratch/out.y4m"; }
webp_tool() { dwebp "$1" -ppm -o "$scratch/out.ppm"; }
raw_tool() { simple_dcraw -e "$1" && djpeg -outfile "$scratch/out.ppm" "$1.thumb.jpg"; }
raw_extract() { simple_dcraw -e "$1"; }
echo "format   plug-in (Wine)   library's tool (native)   plug-in / tool"
for row in "heic heif_tool" "avif heif_tool" "webp webp_tool" "dng raw_tool"; do
  read -r ext tool <<<"$row"
  line=$(timeout 1800 bash "$SUITE_ROOT/scripts/wine" "$TREE/bench/wic/wic_bench.exe" \
    "$(to_windows "$TREE/thumbctl/wic/VelmoraWic.spi")" "$(to_windows "$DATA")" "$ROUNDS" "$ext" | tr -d '\r' |
    tee -a "$out" | awk '/^summary/ { print $5 }')
  native=$(tool_median "$ext" "$tool")
  awk -v e="$ext" -v p="$line" -v n="$native" -v t="$tool" \
    'BEGIN { printf "%-8s %8.1f ms      %8.1f ms (%s)      %.2f\n", e, p, n, t, (n > 0 ? p / n : 0) }'
done
echo "dng: simple_dcraw -e alone $(tool_median dng raw_extract) ms"
rm -f "$DATA"/*.thumb.jpg
awk '/^summary/ && /dng_over_jpeg/ {
  printf "dng with a full-size preview %.1f ms, its preview as a JPEG file %.1f ms (alternating): %.2f\n", $5, $7, $9 }' "$out"
