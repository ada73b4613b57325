#!/bin/sh
# Installs the Debian packages the project needs, only those that are missing.
# Works as root or through sudo; does nothing when everything is there.
set -eu

PACKAGES="build-essential cmake ninja-build pkg-config git
qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
libcli11-dev nlohmann-json3-dev
clang libclang-rt-14-dev clang-format
g++-mingw-w64-x86-64
qt6-qpa-plugins qt6-translations-l10n fonts-dejavu-core fonts-liberation2
imagemagick librsvg2-bin xvfb x11-utils poppler-utils
scdoc lintian desktop-file-utils appstream dpkg-dev
g++-mingw-w64-x86-64-posix nsis wine wine64 zip libudev-dev"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -z "$missing" ]; then
  echo "deps: everything is installed"
  exit 0
fi

echo "deps: installing$missing"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
elif command -v sudo >/dev/null 2>&1; then
  SUDO="sudo"
else
  echo "deps: need root or sudo to install:$missing" >&2
  exit 1
fi
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
