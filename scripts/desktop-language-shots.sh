#!/bin/sh
# Takes the builder's pictures in the desktop's language under Xvfb:
#   docs/builder-de.png, docs/browse-dialog-de.png, docs/help-window-de.png
#     the builder started with LANG=de_DE.UTF-8, its Browse dialog and its
#     help window;
#   builder/data/help/images/builder-window.png and its German counterpart
#     builder/data/help/de/images/builder-window.png, the help's main picture.
# Needs xvfb-run, ImageMagick's convert, Qt's German catalogue (Debian
# qt6-translations-l10n) and a built tree.
#   scripts/desktop-language-shots.sh [build dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

shots() { # shots <LANG> <folder>
    mkdir -p "$2"
    LANG=$1 LC_ALL= LC_MESSAGES= xvfb-run -a -s "-screen 0 1024x768x24" \
        env QT_QPA_PLATFORM=xcb "$build/tests/desktop_language_shots" "$2"
}
# The help shows the window at three quarters of its size.
help_picture() { # help_picture <window.png> <result>
    mkdir -p "$(dirname "$2")"
    convert "$1" -resize 75% -strip -define png:exclude-chunks=date,time "$2"
}

shots de_DE.UTF-8 "$scratch/de"
cp "$scratch/de/window.png" "$root/docs/builder-de.png"
cp "$scratch/de/browse.png" "$root/docs/browse-dialog-de.png"
cp "$scratch/de/help.png" "$root/docs/help-window-de.png"
help_picture "$scratch/de/window.png" "$root/builder/data/help/de/images/builder-window.png"

shots C.UTF-8 "$scratch/en"
help_picture "$scratch/en/window.png" "$root/builder/data/help/images/builder-window.png"
echo "wrote docs/builder-de.png, docs/browse-dialog-de.png, docs/help-window-de.png" \
     "and the help pages' builder-window.png"
