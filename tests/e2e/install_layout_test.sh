#!/bin/sh
# Installs the build into a scratch prefix and checks that each program lands
# where it finds its files at run time: the builder and the updater beside
# their data in LIBDIR/crvl and linked from bin/, the launcher, the .desktop
# files and icons; then starts the installed builder from elsewhere, once
# through its bin/ link and once through crvl-launch, which must give it a
# writable scenarios/ folder and a sessions/ folder beside it.
#   install_layout_test.sh BUILD_DIR LIBDIR
set -eu
build=$1
libdir=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "install layout: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/crvlbuilder bin/crvlconfig bin/crvlctl bin/crvlupd bin/trainersim bin/crvl-launch \
    "$libdir/crvl/crvlbuilder" "$libdir/crvl/crvlupd" "$libdir/crvl/crvlupd.ini" \
    "$libdir/crvl/loaders/preloader1.bin" "$libdir/crvl/template/DefaultFrame0.scn" \
    "$libdir/crvl/template/scenarioProlog.tcl" "$libdir/crvl/inits/seTranslator.ini" \
    "$libdir/crvl/picts/loop.gif" "$libdir/crvl/help/Se.html"; do
    [ -e "$prefix/$file" ] || fail "$file is missing"
done
for program in crvlbuilder crvlconfig crvlupd; do
    desktop=$prefix/share/applications/$program.desktop
    grep -qx "Exec=crvl-launch $program" "$desktop" || fail "$desktop does not start $program"
    grep -qx "Icon=$program" "$desktop" || fail "$desktop has no icon"
    for size in 48 256; do
        [ -s "$prefix/share/icons/hicolor/${size}x$size/apps/$program.png" ] ||
            fail "no ${size}px icon for $program"
    done
done

# From a folder without data files, the bin/ link still finds them.
out=$(cd / && CRVL_STARTUP_PROBE=1 QT_QPA_PLATFORM=offscreen "$prefix/bin/crvlbuilder" 2>&1) ||
    fail "crvlbuilder through bin/ failed: $out"
echo "$out" | grep -q 'canvas painted' || fail "crvlbuilder through bin/ did not start: $out"

# The launcher's working folder: scenarios/, sessions/ and links to the data.
work=$prefix/work
out=$(cd / && CRVL_WORK_DIR=$work CRVL_STARTUP_PROBE=1 QT_QPA_PLATFORM=offscreen \
    "$prefix/bin/crvl-launch" crvlbuilder 2>&1) || fail "crvl-launch crvlbuilder failed: $out"
echo "$out" | grep -q 'canvas painted' || fail "crvl-launch crvlbuilder did not start: $out"
[ -d "$work/scenarios" ] && [ -w "$work/scenarios" ] || fail "no writable $work/scenarios"
[ -d "$work/sessions" ] && [ -w "$work/sessions" ] || fail "no writable $work/sessions"
[ -f "$work/template/DefaultFrame0.scn" ] || fail "the working folder has no template/"
if "$prefix/bin/crvl-launch" something 2>/dev/null; then
    fail "crvl-launch started an unknown program"
fi
echo "install layout ok"
