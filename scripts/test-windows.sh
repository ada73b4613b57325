#!/bin/sh
# make test-windows: the suite's Windows builds tested under Wine on Xvfb.
# One line a step; each step prints PASS/FAIL lines and fails when any of
# its checks failed. Every step runs, whatever the one before it did.
set -u
cd "$(dirname "$0")/.." || exit 1
failed=""
# Wine hands the environment to the Windows programs: CI's offscreen
# platform would make Qt look for a plugin the Windows folder does not ship.
unset QT_QPA_PLATFORM

run_step() {
  name=$1
  shift
  echo "=== $name"
  "$@" || failed="$failed $name"
}

# The Wine prefix (build-win/wineprefix), made once.
run_step wine-prefix sh scripts/windows/wine-prefix.sh
# The Qt-free suites, the serial port, crvlctl.exe and crvlupd.exe.
run_step core xvfb-run -a sh scripts/windows/test-core.sh
# The installer, the three windows, the builder's save, load and print, and
# crvlconfig on COM1.
run_step gui bash scripts/windows/test-gui.sh

if [ -n "$failed" ]; then
  echo "test-windows: failed:$failed" >&2
  exit 1
fi
echo "test-windows: all steps passed"
