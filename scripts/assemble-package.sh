#!/usr/bin/env bash
# Puts one architecture's package together: the installer as setup.exe, its setup
# script, the terms of use and the README in code page 932 with CR LF line ends, and
# the sorter with the thumbnail control, its settings and its image plug-in with the
# codec DLLs and the licence texts found beside it.
#   scripts/assemble-package.sh OUTDIR Orkvane.exe Lumsor20.exe VelmoraThumbCtl.dll VelmoraWic.spi
# With STRIP set (the architecture's strip tool), the programs lose their debug info.
set -euo pipefail
[ $# -eq 5 ] || { echo "usage: $0 OUTDIR Orkvane.exe Lumsor20.exe VelmoraThumbCtl.dll VelmoraWic.spi" >&2; exit 2; }
out=$1
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../resources/package" && pwd)"
rm -rf "$out"
mkdir -p "$out"
cp "$2" "$out/setup.exe"
cp "$3" "$out/Lumsor20.exe"
cp "$4" "$out/VelmoraThumbCtl.dll"
cp "$5" "$out/VelmoraWic.spi"
codecs=(libheif.dll libde265.dll libraw.dll)
for dll in "${codecs[@]}"; do
  cp "$(dirname "$5")/$dll" "$out/$dll"
done
if [ -n "${STRIP:-}" ]; then
  "$STRIP" --strip-debug "$out/setup.exe" "$out/Lumsor20.exe" "$out/VelmoraThumbCtl.dll" "$out/VelmoraWic.spi"
  (cd "$out" && "$STRIP" --strip-unneeded "${codecs[@]}")
fi
# The licences are the libraries' own texts; what code page 932 lacks is spelt out.
sed 's/$/\r/' "$(dirname "$5")/ThirdPartyLicenses.txt" | iconv -f UTF-8 -t CP932//TRANSLIT >"$out/ThirdPartyLicenses.txt"
for text in setup.ini license.txt README.txt VelmoraThumbCtl.ini; do
  # Comment lines of the script's source stay out of the package.
  if [ "$text" = setup.ini ]; then
    grep -v '^;' "$source_dir/$text"
  else
    cat "$source_dir/$text"
  fi | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$out/$text"
done
