#!/bin/sh
# Takes docs/save-dialog-de.png and docs/readonly-question-de.png: the save
# dialog and its read-only question under the shipped German language file,
# drawn by the builder's own dialogs under Xvfb. Needs xvfb-run.
#   tests/builder_ui/dialog_shots.sh [build dir]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
  "$build/tests/dialog_shots" "$root/docs" "$root/builder/data/inits/seTranslator.de.ini" \
  save-dialog-de=SaveDialog readonly-question-de=ReadOnlyQuestion
echo "wrote docs/save-dialog-de.png and docs/readonly-question-de.png"
