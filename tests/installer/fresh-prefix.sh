#!/usr/bin/env bash
# Runs a Windows program in a Wine prefix of its own: a fresh copy of a configured
# template prefix (made once, then kept), with its own wineserver, stopped afterwards.
# The installer tests run here so that nothing another test registered can help them.
#   fresh-prefix.sh PREFIX_DIR program.exe [args...]
set -uo pipefail
[ $# -ge 2 ] || { echo "usage: $0 PREFIX_DIR program.exe [args...]" >&2; exit 2; }
prefix=$1
shift
SUITE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
template="$prefix-template"

WINEPREFIX="$template"
source "$SUITE_ROOT/scripts/wine-env.sh"
trap suite_stop_wine EXIT
suite_start_xvfb || exit 1
suite_ensure_prefix

rm -rf "$prefix"
cp -a "$template" "$prefix" || exit 1
rm -f "$prefix/.suite-ready"
export WINEPREFIX="$prefix"
suite_start_wineserver
timeout 1200 "$WINE64" "$@"
rc=$?
suite_stop_wine
trap - EXIT
exit $rc
