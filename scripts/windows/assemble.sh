#!/bin/sh
# assemble.sh BIN QT DEST: the Windows programs in BIN (a build's bin/, with
# the data files the build copies beside them) made into a folder that runs
# on its own: the programs and their data, the DLLs they need (found by
# following the imports from Qt's and the compiler's folders), Qt's
# plugins and translations, all stripped.
set -eu
bin=${1:?usage: assemble.sh BIN QT DEST}
qt=${2:?usage: assemble.sh BIN QT DEST}
dest=${3:?usage: assemble.sh BIN QT DEST}
objdump=x86_64-w64-mingw32-objdump
strip=x86_64-w64-mingw32-strip
# Where a DLL may come from, one folder a line; the posix-thread runtime first.
dll_dirs="$qt/bin
/usr/lib/gcc/x86_64-w64-mingw32/12-posix
/usr/x86_64-w64-mingw32/lib"

rm -rf "$dest"
mkdir -p "$dest"
cp -r "$bin"/. "$dest"/
for plugin in platforms/qwindows.dll imageformats/qgif.dll styles/qwindowsvistastyle.dll; do
  if [ ! -f "$qt/plugins/$plugin" ]; then
    echo "assemble: $qt/plugins/$plugin is missing" >&2
    exit 1
  fi
  mkdir -p "$dest/$(dirname "$plugin")"
  cp "$qt/plugins/$plugin" "$dest/$plugin"
done

# Qt's own texts (dialog buttons, the print dialog) in the builder's other
# languages: the ones the builder has language files for. They are the
# same files as Debian's Qt of the same version. qt.conf makes Qt look for
# them, and for its plugins, beside the programs.
mkdir -p "$dest/translations"
for table in "$dest"/inits/seTranslator.*.ini; do
  language=${table##*/seTranslator.}
  language=${language%.ini}
  if [ -f "/usr/share/qt6/translations/qtbase_$language.qm" ]; then
    cp "/usr/share/qt6/translations/qtbase_$language.qm" "$dest/translations/"
  fi
done
printf '[Paths]\nPrefix=.\nPlugins=.\nTranslations=translations\n' >"$dest/qt.conf"

# The DLLs the programs and plugins import, and theirs in turn; Windows'
# own DLLs are not in the search folders and are left alone.
imports() {
  "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'
}
# One file a line: the tree's path may hold spaces.
IFS='
'
todo=$(find "$dest" -name '*.exe' -o -name '*.dll')
while [ -n "$todo" ]; do
  next=""
  for file in $todo; do
    for dll in $(imports "$file"); do
      [ -f "$dest/$dll" ] && continue
      for dir in $dll_dirs; do
        if [ -f "$dir/$dll" ]; then
          cp "$dir/$dll" "$dest/$dll"
          next="$next
$dest/$dll"
          break
        fi
      done
    done
  done
  todo=$next
done
# Only Windows' own DLLs may be left out.
missing=""
for file in $(find "$dest" -name '*.exe' -o -name '*.dll'); do
  for dll in $(imports "$file"); do
    case $(echo "$dll" | tr '[:upper:]' '[:lower:]') in
    kernel32.dll | user32.dll | gdi32.dll | shell32.dll | ole32.dll | oleaut32.dll | \
      advapi32.dll | comdlg32.dll | winspool.drv | ws2_32.dll | msvcrt.dll | imm32.dll | \
      winmm.dll | version.dll | netapi32.dll | userenv.dll | uxtheme.dll | dwmapi.dll | \
      shlwapi.dll | setupapi.dll | authz.dll | iphlpapi.dll | dnsapi.dll | mpr.dll | \
      d3d9.dll | d3d11.dll | dxgi.dll | d2d1.dll | dwrite.dll | wtsapi32.dll | crypt32.dll | \
      secur32.dll | bcrypt.dll | ncrypt.dll | api-ms-win-*.dll | comctl32.dll | shcore.dll | \
      opengl32.dll | powrprof.dll | cfgmgr32.dll | runtimeobject.dll | winhttp.dll) ;;
    *) [ -f "$dest/$dll" ] || missing="$missing $dll" ;;
    esac
  done
done
if [ -n "$missing" ]; then
  echo "assemble: not found:$(echo "$missing" | tr ' ' '\n' | sort -u | tr '\n' ' ')" >&2
  exit 1
fi
find "$dest" \( -name '*.exe' -o -name '*.dll' \) -exec "$strip" --strip-unneeded {} +
echo "assemble: $dest ($(du -sh "$dest" | cut -f1))"
