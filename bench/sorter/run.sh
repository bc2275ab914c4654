#!/usr/bin/env bash
# Sorter benchmark under Wine: start-up, command-line loading of 100,000 files against
# the file system's floor, and key stepping. Data folders are made once in the build tree.
#   bench/sorter/run.sh [STEPS]
#   bench/sorter/run.sh --rounds N [BASELINE_LUMSOR20_EXE]
# The second form times start-up and load alone, N rounds, against another build's
# Lumsor20.exe when one is given: a before and after on one machine at one time.
set -euo pipefail
SUITE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
SUITE_BUILD="${SUITE_BUILD:-$SUITE_ROOT/build}"
cmake --build "$SUITE_BUILD/win64" --target sorter_bench Lumsor20 VelmoraThumbCtl -j 2 >/dev/null
DATA="$SUITE_BUILD/bench-data/sorter"
WORK="$SUITE_BUILD/bench-data/sorter-program"
mkdir -p "$DATA" "$WORK"
# Folders of zero-byte .jpg files with names in random order.
python3 - "$DATA" <<'PY'
import os, random, sys
for count in (10000, 100000):
    folder = os.path.join(sys.argv[1], "jpg%d" % count)
    stamp = os.path.join(folder, ".complete")
    if os.path.exists(stamp):
        continue
    os.makedirs(folder, exist_ok=True)
    rnd = random.Random(7)
    for i in range(count):
        open(os.path.join(folder, "%08x_%06d.jpg" % (rnd.getrandbits(32), i)), "wb").close()
    open(stamp, "wb").close()
PY
# A private copy, so the benchmark's profile does not touch anyone else's.
cp "$SUITE_BUILD/win64/app/Lumsor20.exe" "$WORK/"
rm -f "$WORK/Lumsor20.ini"
if [ "${1:-}" = --rounds ] && [ $# -ge 3 ]; then
  mkdir -p "$WORK/baseline"
  cp "$3" "$WORK/baseline/Lumsor20.exe"
  rm -f "$WORK/baseline/Lumsor20.ini"
fi

source "$SUITE_ROOT/scripts/wine-env.sh"
trap suite_stop_wine EXIT
suite_start_xvfb
suite_ensure_prefix
suite_start_wineserver
winpath() { echo "Z:${1//\//\\}"; }
timeout 120 "$WINE64" regsvr32 /s "$(winpath "$SUITE_BUILD/win64/thumbctl/server/VelmoraThumbCtl.dll")"
if [ "${1:-}" = --rounds ]; then
  args=(--rounds "${2:-5}" "$(winpath "$WORK/Lumsor20.exe")" "$(winpath "$DATA")")
  [ $# -ge 3 ] && args+=("$(winpath "$WORK/baseline/Lumsor20.exe")")
else
  args=("$(winpath "$WORK/Lumsor20.exe")" "$(winpath "$DATA")" "$@")
fi
timeout 3000 "$WINE64" "$SUITE_BUILD/win64/bench/sorter/sorter_bench.exe" "${args[@]}"
