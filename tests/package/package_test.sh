#!/bin/sh
# Builds the Debian packages (make package) and checks them as Debian and a
# desktop would: lintian without errors or warnings, the desktop files and
# AppStream metadata valid, every program, data folder and manual page where
# it belongs, each manual page's options those of the program's --help, and
# the unpacked crvlbuilder starting from there and finding its data, and no
# program carrying the remote control of the end-to-end tests.
#   package_test.sh SOURCE_DIR [SEAM_BIN_DIR]
# SEAM_BIN_DIR: the bin/ folder of a build with the remote control, where
# its marker must be found.
set -eu
src=$1
seam_bin=${2:-}
packages=$src/build/packages
fail() {
    echo "package: $*" >&2
    exit 1
}

make -C "$src" package >/dev/null
instructor=$(ls "$packages"/crvl_*.deb)
simulator=$(ls "$packages"/crvl-trainersim_*.deb)

lintian --fail-on error,warning --suppress-tags-from-file /dev/null "$instructor" "$simulator" ||
    fail "lintian found errors or warnings"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$instructor" "$root"
dpkg-deb -x "$simulator" "$root"

for file in usr/bin/crvlbuilder usr/bin/crvlconfig usr/bin/crvlupd usr/bin/crvlctl \
    usr/bin/crvl-launch usr/bin/trainersim usr/lib/crvl/crvlbuilder usr/lib/crvl/crvlupd \
    usr/lib/crvl/crvlupd.ini usr/lib/crvl/loaders/preloader1.bin \
    usr/lib/crvl/template/DefaultFrame0.scn usr/lib/crvl/inits/seTranslator.ini \
    usr/lib/crvl/picts/loop.gif usr/lib/crvl/help/Se.html \
    usr/share/doc/crvl/copyright usr/share/doc/crvl/changelog.gz \
    usr/share/doc/crvl-trainersim/copyright usr/share/doc/crvl-trainersim/changelog.gz; do
    [ -e "$root/$file" ] || fail "$file is missing"
done
if [ -d "$src/lessons" ] || [ -d "$src/builder/data/lessons" ]; then
    [ -d "$root/usr/lib/crvl/lessons" ] || fail "the lessons are missing"
fi
dpkg-deb -c "$simulator" | grep ' ./usr/bin/trainersim$' >/dev/null ||
    fail "trainersim is not in its own package"
if dpkg-deb -c "$instructor" | grep 'trainersim' >/dev/null; then
    fail "the instructor's package carries trainersim"
fi

# The remote control (tools/remote_ui) is for test builds only. The name of
# the variable that switches it on is in its code and nowhere else.
seam_marker=CRVL_REMOTE_UI
if [ -n "$seam_bin" ]; then
    for program in crvlbuilder crvlconfig; do
        grep -q "$seam_marker" "$seam_bin/$program" ||
            fail "$seam_marker is not in the test build's $program: the check for the remote control finds nothing"
    done
fi
for program in "$root"/usr/bin/* "$root"/usr/lib/crvl/crvlbuilder "$root"/usr/lib/crvl/crvlupd; do
    if grep -q "$seam_marker" "$program"; then
        fail "${program#"$root"/} carries the remote control of the tests"
    fi
done

# The classroom, where the build has it.
class=""
[ -e "$root/usr/bin/crvlclass" ] && class=crvlclass

for program in crvlbuilder crvlconfig crvlupd $class; do
    desktop=$root/usr/share/applications/$program.desktop
    desktop-file-validate "$desktop" || fail "$desktop is not valid"
    appstreamcli validate --no-net "$root/usr/share/metainfo/$program.metainfo.xml" >/dev/null ||
        fail "the AppStream metadata of $program is not valid"
    for size in 48 256; do
        [ -s "$root/usr/share/icons/hicolor/${size}x$size/apps/$program.png" ] ||
            fail "no ${size}px icon for $program"
    done
done

# Each manual page names exactly the options its program's --help names.
options() {
    grep -oE -- '(^|[^a-zA-Z0-9-])--?[a-z][a-z0-9-]*|(^|[^a-z])[a-z]+=' |
        sed 's/^[^a-z-]*//; s/^\([a-z]\)/\1/' | grep -E '^-|=$' | sort -u
}
page_options() {
    zcat "$root/usr/share/man/man1/$1.1.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g' | options
}
for program in crvlbuilder crvlconfig crvlctl trainersim $class; do
    [ -s "$root/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
    help=$(cd / && QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --help | options)
    page=$(page_options "$program")
    [ "$help" = "$page" ] || fail "the manual page of $program and its --help differ:
$(printf '%s\n' "$help" >"$root/help.txt"; printf '%s\n' "$page" | diff "$root/help.txt" - || true)"
done
for program in crvlupd crvl-launch; do
    [ -s "$root/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
done

# The unpacked builder finds its data beside itself.
out=$(cd / && CRVL_STARTUP_PROBE=1 QT_QPA_PLATFORM=offscreen "$root/usr/bin/crvlbuilder" 2>&1) ||
    fail "the unpacked crvlbuilder failed: $out"
echo "$out" | grep -q 'canvas painted' || fail "the unpacked crvlbuilder did not start: $out"
echo "packages ok: $(basename "$instructor") $(basename "$simulator")"
