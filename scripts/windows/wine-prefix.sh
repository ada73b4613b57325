#!/bin/sh
# Makes the Wine prefix the Windows test run uses, once, and reuses it after:
# a 64-bit prefix under build-win/ with the Liberation fonts, so that dialogs
# get the metrics they were laid out for (Liberation Sans measures as Arial).
# Prints the prefix's path; call it as
#   WINEPREFIX=$(sh scripts/windows/wine-prefix.sh)
# CRVL_WINEPREFIX chooses another folder.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
prefix=${CRVL_WINEPREFIX:-$root/build-win/wineprefix}
fonts=/usr/share/fonts/truetype/liberation2

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64
if [ ! -f "$prefix/.crvl-ready" ]; then
  started=$(date +%s)
  rm -rf "$prefix"
  mkdir -p "$prefix"
  # No Mono or Gecko installer dialogs: the programs need neither.
  WINEDLLOVERRIDES="mscoree,mshtml=" timeout 300 wineboot -i >/dev/null 2>&1
  timeout 120 wineserver -w
  cp "$fonts"/*.ttf "$prefix/drive_c/windows/Fonts/"
  touch "$prefix/.crvl-ready"
  echo "wine-prefix: made $prefix in $(($(date +%s) - started)) s" >&2
fi
echo "$prefix"
