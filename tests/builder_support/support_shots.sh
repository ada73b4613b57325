#!/bin/sh
# Takes docs/tooltip.png, docs/help-window.png and the help pages' tooltip
# and printed-page pictures from the builder itself under Xvfb. Needs xvfb-run.
#   tests/builder_support/support_shots.sh [build dir]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
  "$build/tests/support_shots" "$scratch"
cp "$scratch/tooltip.png" "$root/docs/tooltip.png"
cp "$scratch/help-window.png" "$root/docs/help-window.png"
cp "$scratch/tooltip-palette.png" "$root/builder/data/help/images/tooltip.png"
cp "$scratch/printed-page.png" "$root/builder/data/help/images/printed-page.png"
echo "wrote docs/tooltip.png, docs/help-window.png and the help pages' pictures"
