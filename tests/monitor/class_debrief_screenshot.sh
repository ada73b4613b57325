#!/bin/sh
# Takes docs/class-debrief.png: tests/class_debrief_shot writes a sample
# class's session logs through the session writer and saves its Class
# Debrief window (offscreen, no display needed). A second argument also
# prints the class debrief into that PDF.
#   tests/monitor/class_debrief_screenshot.sh [build dir] [output png] [output pdf]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/class-debrief.png}
QT_QPA_PLATFORM=offscreen "$build/tests/class_debrief_shot" "$out" ${3:+"$3"}
echo "wrote $out"
