#!/bin/sh
# Takes docs/builder.png: starts build/bin/crvlbuilder under Xvfb in a scratch
# directory whose start-frame template is a small drawn scenario, and grabs
# the window. Needs xvfb-run and ImageMagick's import.
#   tests/builder_editor/builder_screenshot.sh [build dir] [output png]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=$(cd "${1:-$root/build}/bin" && pwd)
out=${2:-$root/docs/builder.png}
case $out in /*) ;; *) out=$(pwd)/$out ;; esac
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$bin/picts" "$bin/inits" "$bin/template" "$scratch/"
cp "$here/data/screenshot-scenario.scn" "$scratch/template/DefaultFrame0.scn"
cd "$scratch"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c "
  '$bin/crvlbuilder' >/dev/null 2>&1 & pid=\$!
  sleep 3
  import -window root -crop 804x603+0+0 '$out'
  kill \$pid"
echo "wrote $out"
