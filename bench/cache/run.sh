#!/usr/bin/env bash
# Picture cache benchmark: makes 20 photo-like 4000x3000 JPEG files (once, in the
# build tree), times native djpeg on them as the floor, then runs cache_bench
# under Wine: bare OleLoadPicture vs. a cache miss until the picture-ready
# message, the hit latency, and the memory with 48 slots full.
#   bench/cache/run.sh [count]
set -euo pipefail
SUITE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
SUITE_BUILD="${SUITE_BUILD:-$SUITE_ROOT/build}"
COUNT="${1:-20}"
DATA="$SUITE_BUILD/bench-data/photos"
BENCH="$SUITE_BUILD/win64/bench/cache/cache_bench.exe"
mkdir -p "$DATA"

if [ ! -x "$BENCH" ]; then
  cmake --build "$SUITE_BUILD/win64" --target cache_bench -j 2 >/dev/null
fi

bash "$SUITE_ROOT/bench/photos.sh" "$DATA" "$COUNT"

# The floor: native libjpeg-turbo on the same files.
total_ns=0
for i in $(seq 1 "$COUNT"); do
  f="$DATA/photo$(printf %02d "$i").jpg"
  start=$(date +%s%N)
  timeout 60 djpeg -outfile /dev/null "$f"
  end=$(date +%s%N)
  total_ns=$((total_ns + end - start))
done
djpeg_ms=$(awk -v t="$total_ns" -v n="$COUNT" 'BEGIN { printf "%.1f", t / n / 1e6 }')
echo "djpeg_mean_ms $djpeg_ms"

out="$SUITE_BUILD/bench-data/cache-bench.txt"
windata="Z:$(echo "$DATA" | tr / '\\')"
timeout 1200 bash "$SUITE_ROOT/scripts/wine" "$BENCH" "$windata" | tr -d '\r' | tee "$out"

awk -v floor="$djpeg_ms" '/^summary/ {
  for (i = 2; i < NF; i += 2) v[$i] = $(i + 1)
  printf "cache miss->ready %.1f ms vs bare OleLoadPicture %.1f ms: ratio %.3f (target <= 1.1x + 30 ms = %.1f ms: %s)\n",
    v["cache_mean_ms"], v["bare_mean_ms"], v["ratio_mean"], v["limit_ms_mean"],
    (v["cache_mean_ms"] <= v["limit_ms_mean"]) ? "met" : "missed"
  printf "bare OleLoadPicture / native djpeg: %.2fx; cache / djpeg: %.2fx\n", v["bare_mean_ms"] / floor, v["cache_mean_ms"] / floor
  printf "hit latency %.2f us (target <= 50 us: %s)\n", v["hit_us"], (v["hit_us"] <= 50) ? "met" : "missed"
}' "$out"

# Peak memory of 100 photos of 24 MP through one window at the largest cache the
# sorter allows (94 slots, 64 per window): without a budget and with the default.
MEMBENCH="$SUITE_BUILD/win64/bench/cache/memory_bench.exe"
[ -x "$MEMBENCH" ] || cmake --build "$SUITE_BUILD/win64" --target memory_bench -j 2 >/dev/null
mkdir -p "$DATA/walk"
winwalk="Z:$(echo "$DATA/walk" | tr / '\\')"
for budget in 0 1024; do
  timeout 1200 bash "$SUITE_ROOT/scripts/wine" "$MEMBENCH" "$winwalk" "$budget" 100 | tr -d '\r'
done
# The same walk through HEIC files and DNG files with a full-size preview, made from the
# same photo, decoded by the plug-in with its codec DLLs beside it (default budget).
cmake --build "$SUITE_BUILD/win64" --target VelmoraWic -j 2 >/dev/null
[ -s "$DATA/walk/walk000.heic" ] || timeout 900 heif-enc -q 90 "$DATA/walk/walk000.jpg" -o "$DATA/walk/walk000.heic" >/dev/null
[ -s "$DATA/walk/walk000.dng" ] ||
  python3 "$SUITE_ROOT/scripts/make-dng" "$DATA/walk/walk000.dng" --raw 6000x4000 --preview "$DATA/walk/walk000.jpg"
plugin="Z:$(echo "$SUITE_BUILD/win64/thumbctl/wic/VelmoraWic.spi" | tr / '\\')"
for ext in heic dng; do
  timeout 1200 bash "$SUITE_ROOT/scripts/wine" "$MEMBENCH" "$winwalk" 1024 100 "$ext" "$plugin" | tr -d '\r'
done
