#!/bin/sh
# Takes docs/monitor.png: runs tests/monitor_demo (the configuration tool
# connected to an in-process simulated trainer that plays VT) under Xvfb and
# grabs the scenario monitor's window. Needs xvfb-run, xwininfo and
# ImageMagick's import.
#   tests/monitor/monitor_screenshot.sh [build dir] [output png]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/monitor.png}
case $out in /*) ;; *) out=$(pwd)/$out ;; esac
xvfb-run -a -s "-screen 0 1024x768x24" sh -c "
  '$build/tests/monitor_demo' 12000 >/dev/null 2>&1 & pid=\$!
  sleep 8
  id=\$(xwininfo -root -tree | grep '\"Scenario Monitor\"' | awk '{print \$1}' | head -1)
  import -window \"\$id\" '$out'
  kill \$pid"
echo "wrote $out"
