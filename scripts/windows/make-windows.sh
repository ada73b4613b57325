#!/bin/sh
# make windows: the suite as a Windows product, cross-built here.
#   build-windows/crvl/                               the programs, ready to run
#   build/packages/crvl-<version>-windows-setup.exe   the installer (NSIS)
#   build/packages/crvl-<version>-windows.zip         the same folder as a zip
# Qt for Windows comes from scripts/qt-windows.sh, which builds it into its
# cache on the first run (and prints its time) and reuses it afterwards.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
jobs=${JOBS:-$(nproc)}

sh scripts/qt-windows.sh >&2
CRVL_QT_WINDOWS=$(sh scripts/qt-windows.sh 2>/dev/null | tail -n 1)
export CRVL_QT_WINDOWS

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
sh scripts/windows/assemble.sh build-windows/bin "$CRVL_QT_WINDOWS" build-windows/crvl

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
mkdir -p build/packages
setup="build/packages/crvl-$version-windows-setup.exe"
archive="build/packages/crvl-$version-windows.zip"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSOURCE="$root/build-windows/crvl" \
  -DICON="$root/build-windows/dist/windows/crvlbuilder.ico" -DOUTFILE="$root/$setup" dist/windows/crvl.nsi
rm -f "$archive"
(cd build-windows && zip -qr9 "$root/$archive" crvl)
echo "make windows: $setup ($(du -h "$setup" | cut -f1)), $archive ($(du -h "$archive" | cut -f1))"
