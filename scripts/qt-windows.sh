#!/bin/sh
# Cross-builds the Qt modules the programs use, for 64-bit Windows, from
# Debian's own source package of the Qt that Debian ships here, with Debian's
# mingw-w64 compilers (posix threads) and Debian's Qt host tools.
#
# The result goes to a cache folder outside the tree, named by the Qt version:
#   ${CRVL_CACHE_DIR:-~/.cache/crvl}/qt-<version>-mingw64
# and is reused when it is complete. The last line printed names the folder.
#
# The source comes the way apt fetches source packages: a private apt
# configuration whose only entries are deb-src twins of the machine's own
# package sources, made for this run and removed with it. Nothing else is
# downloaded; the machine's own apt state is not touched.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cache_root=${CRVL_CACHE_DIR:-$HOME/.cache/crvl}
jobs=${JOBS:-$(nproc)}

source_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev 2>/dev/null || true)
if [ -z "$source_version" ]; then
  echo "qt-windows: qt6-base-dev is not installed (run make deps)" >&2
  exit 1
fi
upstream=${source_version%%+*}
upstream=${upstream%%-*}
prefix="$cache_root/qt-$upstream-mingw64"

if [ -f "$prefix/.complete" ]; then
  echo "qt-windows: reusing $prefix"
  echo "$prefix"
  exit 0
fi

for tool in x86_64-w64-mingw32-g++-posix cmake ninja dpkg-source; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "qt-windows: $tool is missing (run make deps)" >&2
    exit 1
  fi
done

start=$(date +%s)
work=$(mktemp -d "${TMPDIR:-/tmp}/crvl-qt-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM HUP

# The deb-src twins of the machine's sources, in a private apt configuration.
mkdir -p "$cache_root" "$work/apt/lists/partial" "$work/apt/cache/archives/partial" \
  "$work/apt/parts"
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  # deb822 stanzas: only enabled stanzas of type deb become deb-src.
  awk 'BEGIN { RS = ""; ORS = "\n\n" }
       /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ && !/(^|\n)Enabled: *no/ {
         gsub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print
       }' "$f" > "$work/apt/parts/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" \
    > "$work/apt/parts/$(basename "$f" | sed 's/\.list$//').list"
done
apt_opts="-o APT::Sandbox::User=root -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts=$work/apt/parts
  -o Dir::State::Lists=$work/apt/lists -o Dir::Cache=$work/apt/cache
  -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache="
# shellcheck disable=SC2086
apt-get -qq $apt_opts update
mkdir -p "$work/src"
cd "$work/src"
# shellcheck disable=SC2086
apt-get -qq $apt_opts source "qt6-base=$source_version" >/dev/null
srcdir=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
if [ -z "$srcdir" ]; then
  echo "qt-windows: apt-get source qt6-base=$source_version gave no source folder" >&2
  exit 1
fi

# Qt's own toolchain file names this one by absolute path: it lives beside
# the install and stays with it. A broken run leaves no .complete mark, and
# the next run starts that folder again.
toolchain="$cache_root/qt-$upstream-mingw64.toolchain.cmake"
cp "$root/cmake/mingw-w64-x86_64.cmake" "$toolchain"
rm -rf "$prefix"
# A repeated build after a failure is quick when ccache is there.
launcher=""
if command -v ccache >/dev/null 2>&1; then
  launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
fi
# With OpenGL off, Qt 6.4's Windows platform plugin still compiles its check
# for a software OpenGL unless dynamicgl is off too.
# shellcheck disable=SC2086
cmake -S "$srcdir" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=Release \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_tabletevent=OFF \
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_xml=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF \
  -DFEATURE_vulkan=OFF \
  -DFEATURE_openssl=OFF -DFEATURE_icu=OFF -DFEATURE_testlib=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_doubleconversion=OFF \
  $launcher >"$work/configure.log" 2>&1 || {
  tail -n 40 "$work/configure.log" >&2
  echo "qt-windows: configure failed" >&2
  exit 1
}
cmake --build "$work/build" -j "$jobs" -- -k 0 >"$work/build.log" 2>&1 || {
  cp "$work/build.log" "$cache_root/qt-$upstream-mingw64.build.log"
  grep -A 12 '^FAILED:' "$work/build.log" >&2
  echo "qt-windows: the whole log is in $cache_root/qt-$upstream-mingw64.build.log" >&2
  echo "qt-windows: build failed" >&2
  exit 1
}
cmake --install "$work/build" >/dev/null
touch "$prefix/.complete"

elapsed=$(($(date +%s) - start))
echo "qt-windows: built Qt $upstream for Windows in $((elapsed / 60)) min $((elapsed % 60)) s on $jobs jobs ($(du -sh "$prefix" | cut -f1))"
echo "$prefix"
