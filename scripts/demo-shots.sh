#!/bin/sh
# Takes the pictures of the road of one scenario for the README
# (docs/demo-builder.png, docs/demo-upload.png, docs/demo-monitor.png): runs
# the end-to-end test under Xvfb on the X11 platform, which saves the
# builder, the upload dialog and the monitor as it passes them. Needs
# xvfb-run and a built tree.
#   scripts/demo-shots.sh [build dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
CRVL_E2E_SHOTS="$root/docs" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24" \
    "$build/tests/e2e_road_test" --gtest_filter='Road.DrawnScenario*'
ls -l "$root"/docs/demo-*.png
