#!/usr/bin/env bash
# Flip latency: key press to the next picture on screen, measured from outside with
# fliplat (XTest key, then the watched pixels until they settle), for the sorter and,
# in the same run, for feh and nsxiv on the same images and picture size.
#   bench/flip/run.sh            measure and print the table
#   bench/flip/run.sh --table    print the table again from the last run's raw lines
# Environment (all optional):
#   FLIPLAT_DIR   the fliplat tool folder (default: ../shared/tools/fliplat beside the repository)
#   VIEWERS="sorter feh nsxiv"  SETS="4000x3000 1920x1080 dng4000x3000"  ROUNDS=3  NEW_STARTS=7  POLL=2000 (us)
#   SORTER_ENV    extra NAME=VALUE words for the sorter's environment
#   SORTER_TREE   a Windows build tree laid out as build/win64 whose sorter, library, plug-in
#                 and frame helper are taken as they are, without building (default: build/win64,
#                 built first); with FLIP_OUT (default build/bench-flip) two builds can be
#                 measured alternately in one session
# Columns: next = Down through the list (img01 -> img20, 19 presses), prev walk = Up back
# right after (19 presses), new = a picture never asked for before: for the sorter
# Page Down, Page Down, Page Up on a fresh start (img11, img20, img10; the timing log
# proves none was preloaded), for the viewers the "new" presses of fliplat's
# next/prev/next pattern. Raw press lines go to build/bench-flip/raw/, the table to
# build/bench-flip/table.txt.
set -uo pipefail
SUITE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
SUITE_BUILD="${SUITE_BUILD:-$SUITE_ROOT/build}"
FLIPLAT_DIR="${FLIPLAT_DIR:-$SUITE_ROOT/../shared/tools/fliplat}"
VIEWERS="${VIEWERS:-sorter feh nsxiv}"
SETS="${SETS:-4000x3000 1920x1080 dng4000x3000}"
ROUNDS="${ROUNDS:-3}"
NEW_STARTS="${NEW_STARTS:-7}"
POLL="${POLL:-2000}"
WIDTH=1024
HEIGHT=768
OUT="${FLIP_OUT:-$SUITE_BUILD/bench-flip}"
TREE="${SORTER_TREE:-$SUITE_BUILD/win64}"
RAW="$OUT/raw"
IMG="$SUITE_BUILD/bench-data/flip-images"
FLIPLAT="$OUT/tools/fliplat"

die() {
  echo "flip: $*" >&2
  exit 1
}

# ---- the table: median / p90 of the settled time, ms ----
# A placeholder that stays longer than fliplat's 200 ms stability window passes for the
# picture; fliplat then notes, at the next press, when the screen changed again. That
# later time (seen by the 10 ms settle poll) is the press's real time: the corrected
# press lines in build/bench-flip/corrected/ carry it, and the table counts such presses.
print_table() {
  local fixed="$OUT/corrected" v s f stats late
  rm -rf "$fixed"
  mkdir -p "$fixed"
  for f in "$RAW"/*.txt; do
    [ -e "$f" ] || continue
    awk '/^press / { n = $2; line[n] = $0; order[++count] = n }
         /^note: after press / { late[$4] = $9 }
         END { for (i = 1; i <= count; i++) { n = order[i]; l = line[n]
                 if ((n in late) && l ~ /status=ok/) { sub(/stable_ms=[0-9.]+/, "stable_ms=" late[n], l); l = l " corrected=late_change" }
                 print l } }' "$f" >"$fixed/$(basename "$f")"
  done
  echo "# flip latency, key press to picture settled: median / p90 ms (presses ok of presses)"
  echo "# $(grep '^settings' "$OUT/env.txt" 2>/dev/null)"
  printf '%-7s %-10s %-22s %-22s %-22s %s\n' viewer set next "prev walk" new "placeholder presses"
  for v in $VIEWERS; do
    for s in $SETS; do
      stats="$(cat "$fixed/$v.$s".*.txt 2>/dev/null | "$FLIPLAT" --stats)"
      cell() { # label
        awk -v k="key=$1" '
          $1 == "summary" && $2 == k && $3 ~ /^presses=/ { split($3, a, "="); total = a[2]; split($4, b, "="); ok = b[2] }
          $1 == "summary" && $2 == k && $3 == "stable_ms" { for (i = 4; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] } }
          END { if (total) printf "%s / %s (%d/%d)", v["med"], v["p90"], ok, total; else printf "-" }' <<<"$stats"
      }
      late="$(cat "$fixed/$v.$s".*.txt 2>/dev/null | grep -c 'corrected=late_change')"
      printf '%-7s %-10s %-22s %-22s %-22s %s\n' "$v" "$s" "$(cell next)" "$(cell prev)" "$(cell new)" "$late"
    done
  done
}
if [ "${1:-}" = --table ]; then  # the table again from the raw lines of the last run
  [ -x "$FLIPLAT" ] || die "no fliplat built yet"
  print_table | tee "$OUT/table.txt"
  exit 0
fi

# ---- tools ----
need=()
command -v cc >/dev/null 2>&1 || need+=(gcc libc6-dev)
for pkg in libx11-dev libxext-dev libxtst-dev x11-utils x11-apps feh nsxiv; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "flip: installing ${need[*]}"
  timeout 900 $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" \
    >"$SUITE_BUILD/bench-flip-apt.log" 2>&1 || {
    timeout 600 $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q >/dev/null 2>&1
    timeout 900 $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" \
      >"$SUITE_BUILD/bench-flip-apt.log" 2>&1
  } || die "apt-get could not install ${need[*]} (see $SUITE_BUILD/bench-flip-apt.log)"
fi
[ -f "$FLIPLAT_DIR/fliplat.c" ] || die "no fliplat.c in FLIPLAT_DIR=$FLIPLAT_DIR"
mkdir -p "$OUT/tools" "$RAW"
rm -f "$RAW"/*.txt "$RAW"/*.log
cc -O2 -Wall -Wextra -o "$FLIPLAT" "$FLIPLAT_DIR/fliplat.c" -lX11 -lXext -lXtst -lm || die "fliplat does not build"

# ---- images: the same sets as fliplat's make-images.sh (kept between runs) ----
for s in 4000x3000 1920x1080; do
  [ "$(ls "$IMG/$s"/img*.jpg 2>/dev/null | wc -l)" -eq 20 ] && continue
  echo "flip: making the test images in $IMG"
  timeout 1800 sh "$FLIPLAT_DIR/make-images.sh" "$IMG" >"$OUT/make-images.log" 2>&1 || die "make-images.sh failed"
  break
done
# A RAW folder: DNG files of a 24 MB sensor image each, carrying the 4000x3000 pictures
# as their full-size previews (the sorter only; the viewers read no RAW files).
mkdir -p "$IMG/dng4000x3000"
for f in "$IMG/4000x3000"/img*.jpg; do
  d="$IMG/dng4000x3000/$(basename "${f%.jpg}").dng"
  [ -s "$d" ] || python3 "$SUITE_ROOT/scripts/make-dng" "$d" --raw 4000x3000 --preview "$f" || die "make-dng failed"
done

# ---- the sorter, its server and the frame helper ----
if [[ " $VIEWERS " == *" sorter "* ]] && [ -z "${SORTER_TREE:-}" ]; then
  args=()
  [ -f "$SUITE_BUILD/win64/CMakeCache.txt" ] ||
    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$SUITE_ROOT/cmake/mingw-x86_64.cmake")
  cmake -S "$SUITE_ROOT" -B "$SUITE_BUILD/win64" "${args[@]}" >"$OUT/configure.log" 2>&1 || die "configure failed"
  cmake --build "$SUITE_BUILD/win64" -j 2 --target Lumsor20 VelmoraThumbCtl VelmoraWic flip_frame \
    >"$OUT/build.log" 2>&1 || die "build failed (see $OUT/build.log)"
fi
# The library runs as the package installs it: beside its shipped settings and the
# WIC plug-in, in a folder of its own.
LIBRARY="$OUT/library"
PROGRAM="$OUT/program"  # a private copy: the benchmark's profile touches nobody else's
mkdir -p "$PROGRAM"

# ---- display and Wine ----
source "$SUITE_ROOT/scripts/wine-env.sh"
VPID=""
stop_viewer() {
  [ -n "$VPID" ] || return 0
  kill "$VPID" 2>/dev/null
  local i
  for i in $(seq 1 50); do
    kill -0 "$VPID" 2>/dev/null || break
    [[ "$(ps -o stat= -p "$VPID" 2>/dev/null)" == Z* ]] && break
    sleep 0.1
  done
  kill -9 "$VPID" 2>/dev/null
  wait "$VPID" 2>/dev/null
  VPID=""
}
cleanup() {
  stop_viewer
  suite_stop_wine
}
trap cleanup EXIT
trap 'exit 130' INT TERM
unset DISPLAY  # always a private Xvfb (1280x1024x24), whatever the caller has
suite_start_xvfb || die "no Xvfb"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
if [[ " $VIEWERS " == *" sorter "* ]]; then
  suite_ensure_prefix
  suite_start_wineserver
  mkdir -p "$LIBRARY"
  wic="$TREE/thumbctl/wic"
  cp -f "$TREE/thumbctl/server/VelmoraThumbCtl.dll" "$wic/VelmoraWic.spi" "$wic/libheif.dll" \
    "$wic/libde265.dll" "$wic/libraw.dll" "$SUITE_ROOT/resources/package/VelmoraThumbCtl.ini" "$LIBRARY/" ||
    die "the library could not be staged"
  timeout 120 "$WINE64" regsvr32 /s "$(winpath "$LIBRARY/VelmoraThumbCtl.dll")" ||
    die "registering VelmoraThumbCtl.dll failed"
  cp "$TREE/app/Lumsor20.exe" "$PROGRAM/" || die "no Lumsor20.exe in $TREE"
fi
export XDG_CACHE_HOME="$OUT/xdg/cache" XDG_CONFIG_HOME="$OUT/xdg/config" XDG_DATA_HOME="$OUT/xdg/data"
mkdir -p "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

{
  echo "date: $(date -u +%Y-%m-%dT%H:%M:%SZ)"
  echo "host: $(nproc) cores, $(uname -sr)"
  echo "commit: $(git -C "$SUITE_ROOT" rev-parse --short HEAD 2>/dev/null) $(git -C "$SUITE_ROOT" status --porcelain 2>/dev/null | grep -q . && echo '(with local changes)')"
  echo "wine: $("$WINE64" --version 2>/dev/null)"
  echo "feh: $(feh --version 2>/dev/null | head -1)  nsxiv: $(nsxiv -v 2>&1 | head -1)"
  echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "settings: VIEWERS=$VIEWERS SETS=$SETS ROUNDS=$ROUNDS NEW_STARTS=$NEW_STARTS POLL=$POLL picture ${WIDTH}x${HEIGHT}"
} >"$OUT/env.txt"

# ---- viewers ----
# Sets WIN (fliplat's window argument), NEXT, PREV for the started viewer.
WIN=() PACE=() NEXT="" PREV="" TIMING=""
start_sorter() { # set tag
  local files=("$IMG/$1"/img*.*) winfiles=() f id line
  for f in "${files[@]}"; do winfiles+=("$(winpath "$f")"); done
  # A fresh profile each start: default cache sizes, the frame at the screen's corner.
  printf '[ALLIGN_DEFAULT]\r\ntop=0\r\nleft=0\r\nbottom=800\r\nright=1000\r\n' >"$PROGRAM/Lumsor20.ini"
  rm -f "$PROGRAM"/Lumsor20.*.journal  # a stopped start's journal would bring its lists back
  TIMING="$RAW/sorter.$2.timing.log"
  rm -f "$TIMING"
  local extra=()
  [ -n "${SORTER_ENV:-}" ] && read -r -a extra <<<"$SORTER_ENV"
  env VELMORA_TIMING_LOG="$(winpath "$TIMING")" "${extra[@]}" \
    "$WINE64" "$PROGRAM/Lumsor20.exe" "${winfiles[@]}" </dev/null >>"$RAW/sorter.log" 2>&1 &
  VPID=$!
  # The picture area (the control of list 0, maximised) sized to 1024x768; fliplat
  # watches only it, so the caption, scroll bar and status bar do not count.
  line="$(timeout 60 "$WINE64" "$TREE/bench/flip/flip_frame.exe" "$WIDTH" "$HEIGHT" 30000 2>&1 | tr -d '\r')"
  [[ "$line" == region\ ${WIDTH}x${HEIGHT}+* ]] || die "the sorter's picture area could not be sized: $line"
  local region="${line#region }"
  region="${region%% *}"
  id=""
  local i
  for i in $(seq 1 100); do
    id="$(xwininfo -root -tree 2>/dev/null | grep -F '("lumsor20.exe"' | grep -v 'Default IME' |
      grep -oE '^ *0x[0-9a-f]+' | head -1 | tr -d ' ')"
    [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' && break
    id=""
    sleep 0.1
  done
  [ -n "$id" ] || die "no X window of the sorter"
  # The first picture on screen before any press (a placeholder must not pass for it).
  for i in $(seq 1 300); do
    grep -q ' paint hit ' "$TIMING" 2>/dev/null && break
    sleep 0.1
  done
  grep -q ' paint hit ' "$TIMING" 2>/dev/null || die "the sorter showed no picture within 30 s (see $TIMING)"
  sleep 0.5  # the first press too comes after 500 ms of calm (fliplat settles for 0 ms here)
  WIN=(-w "$id" -r "$region")
  # The sorter shows a placeholder ("*" on white) while a picture decodes. A 500 ms
  # stability window with no settle time keeps the viewers' cadence (200 ms window +
  # 300 ms settle) but does not take a placeholder of up to 500 ms for the picture.
  PACE=(-s 500 -S 0)
  NEXT=Down PREV=Up
  echo "wine64 Lumsor20.exe $IMG/$1/img*.*; picture area $region of X window $id   (next=$NEXT prev=$PREV new=Page_Down,Page_Down,Page_Up)" \
    >"$OUT/cmd.sorter.$1.txt"
}
start_peer() { # viewer set
  local files=("$IMG/$2"/img*.jpg) opts
  case $1 in
    feh)
      opts=(--geometry "${WIDTH}x${HEIGHT}+0+0" --scale-down --auto-zoom)
      WIN=(-n "feh [") NEXT=Right PREV=Left ;;
    nsxiv)
      opts=(-g "${WIDTH}x${HEIGHT}+0+0" -s f -p)
      WIN=(-n nsxiv) NEXT=n PREV=p ;;
    *) die "unknown viewer $1" ;;
  esac
  PACE=()  # fliplat's defaults, as in its RESULTS.md
  echo "$1 ${opts[*]} $IMG/$2/img*.jpg   (next=$NEXT prev=$PREV)" >"$OUT/cmd.$1.$2.txt"
  "$1" "${opts[@]}" "${files[@]}" </dev/null >>"$RAW/$1.log" 2>&1 &
  VPID=$!
}
start_viewer() { # viewer set tag
  if [ "$1" = sorter ]; then start_sorter "$2" "$3"; else start_peer "$1" "$2"; fi
}
measure() { # tag fliplat-args...
  local tag=$1 rc
  shift
  timeout 900 "$FLIPLAT" "${WIN[@]}" "${PACE[@]}" -p "$POLL" -t 10000 "$@" >"$RAW/$tag.txt" 2>&1
  rc=$?
  echo "rc=$rc" >>"$RAW/$tag.txt"
  grep -E '^summary key.*stable|timeout|^fliplat' "$RAW/$tag.txt" | sed "s/^/  [$tag] /"
  [ "$rc" -le 1 ] || die "fliplat failed on $tag (see $RAW/$tag.txt)"
}

# The sorter's "new" presses must land on pictures it never asked for: in the timing
# log, no preload of a shown file before it is first shown.
check_not_preloaded() { # timing-log
  awk '{ path = $0; sub(/^[^ ]* [^ ]* /, "", path) }
       $2 == "preload" { asked[path] = 1 }
       $2 == "display" && path != "" && !(path in shown) { shown[path] = 1; n++; if (n > 1 && (path in asked)) bad++ }
       END { exit (n >= 4 && bad == 0) ? 0 : 1 }' "$1"
}

for v in $VIEWERS; do
  for s in $SETS; do
    [ "$v" != sorter ] && [[ "$s" == dng* ]] && continue
    for r in $(seq 1 "$ROUNDS"); do
      echo "== $v $s round $r"
      start_viewer "$v" "$s" "$s.r$r.walk"
      measure "$v.$s.r$r.fwd" -k "$NEXT@next" -N 19
      measure "$v.$s.r$r.bwd" -k "$PREV@prev" -N 19 -O 0
      stop_viewer
      if [ "$v" != sorter ]; then
        start_viewer "$v" "$s"
        measure "$v.$s.r$r.bounce" -k "$NEXT@new,$PREV@back,$NEXT@again" -N 57 -O 0
        stop_viewer
      fi
    done
    if [ "$v" = sorter ]; then
      for r in $(seq 1 "$NEW_STARTS"); do
        echo "== $v $s new, start $r"
        start_viewer "$v" "$s" "$s.n$r.new"
        # The fourth press only lets fliplat see a late picture of the third.
        measure "$v.$s.n$r.new" -k "Page_Down@new,Page_Down@new,Page_Up@new,Home@tail" -N 4 -O 0
        stop_viewer
        check_not_preloaded "$TIMING" || die "a 'new' press showed a preloaded picture (see $TIMING)"
      done
    fi
  done
done

echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$OUT/env.txt"

print_table | tee "$OUT/table.txt"
