#!/usr/bin/env bash
# WIC plug-in benchmark: makes photo-like 4000x3000 JPEG files at quality 90 (once,
# in the build tree), then runs wic_bench under Wine: each file decoded through the
# library's OLE loader path and through its plug-in path with VelmoraWic.spi, with
# the median milliseconds per decode of each.
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
