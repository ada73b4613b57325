#!/bin/sh
# make test-windows: the Windows suite under Wine, one step a line.
set -e
bash scripts/windows/test-gui.sh "$@"
