#!/bin/sh
# Takes docs/debrief.png: tests/debrief_shot writes a sample run through the
# session writer and saves its Session Debrief window (offscreen, no display
# needed). A second argument also prints the debrief into that PDF.
#   tests/monitor/debrief_screenshot.sh [build dir] [output png] [output pdf]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/debrief.png}
QT_QPA_PLATFORM=offscreen "$build/tests/debrief_shot" "$out" ${3:+"$3"}
echo "wrote $out"
