#!/bin/bash
# The Windows programs' windows under Wine on Xvfb (make test-windows):
#   - the installer installs for the user, with its Start menu entries, and
#     the uninstaller removes it all again;
#   - crvlbuilder.exe, crvlconfig.exe, crvlupd.exe and crvlclass.exe of
#     build-windows/crvl start and show their windows (xwininfo finds the title, viewable); a
#     second crvlconfig.exe hands over to the first one;
#   - started in its own folder, the builder works in the user's
#     Documents\Corvel, with its data copied there;
#   - the builder saves, loads and prints a scenario and opens its help,
#     driven through the remote control of a test build (preset
#     windows-test);
#   - crvlconfig connects to trainersim on Wine's COM1.
# Each check prints one PASS or FAIL line; the exit code is 1 when one failed.
# With --shots DIR the four windows are saved there as windows-builder.png,
# windows-config.png, windows-updater.png and windows-classroom.png, and the
# whole screen at each failure as failure-N.png.
#
# The remote control's socket is a named pipe under Windows, which this
# script cannot open from outside Wine: remote_ui_relay.exe listens on it
# inside Wine and relays command lines from its standard input and the
# answers to its standard output (tools/remote_ui/remote_ui_relay.cpp).
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root" || exit 1
shots=""
if [ "${1:-}" = "--shots" ]; then
  shots=$(realpath "${2:?--shots DIR}")
fi
if [ -z "${CRVL_IN_XVFB:-}" ]; then
  exec env CRVL_IN_XVFB=1 xvfb-run -a -s "-screen 0 1920x1200x24" bash "$0" "$@"
fi
jobs=${JOBS:-$(nproc)}
failures=0
pass() { echo "PASS: $*"; }
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
  # What the screen showed then, beside the windows' pictures.
  if [ -n "$shots" ]; then
    import -window root "$shots/failure-$failures.png" 2>/dev/null
  fi
}
note() { echo "NOTE: $*"; }

# The test build: the builder and crvlconfig with their remote control, and
# the relay, beside the release folder's DLLs and data. Its folder's name
# has a space and a letter outside ASCII, as a user's folder may.
CRVL_QT_WINDOWS=$(sh scripts/qt-windows.sh 2>/dev/null | tail -n 1)
export CRVL_QT_WINDOWS
if [ ! -f build-windows/crvl/crvlbuilder.exe ]; then
  echo "test-gui: build-windows/crvl is missing (make windows)" >&2
  exit 1
fi
cmake --preset windows-test >/dev/null &&
  cmake --build --preset windows-test -j "$jobs" --target crvlbuilder crvlconfig remote_ui_relay ||
  exit 1
programs="$root/build-windows-test/Corvel Prüfung"
rm -rf "$programs"
cp -r build-windows/crvl "$programs"
for exe in crvlbuilder crvlconfig remote_ui_relay; do
  x86_64-w64-mingw32-strip -o "$programs/$exe.exe" "build-windows-test/bin/$exe.exe"
done

# The prefix of the whole Windows run (wine-prefix.sh, shared with
# test-core.sh), with the fonts the dialogs were laid out for. File names
# on the Linux side are UTF-8 for Wine too; the programs speak English.
export LC_ALL=C.UTF-8 LANG=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX=$(sh scripts/windows/wine-prefix.sh) || exit 1
export WINEPREFIX
# Wine names the profile after the Linux account.
user=$(id -un)
# A server left from an interrupted run would hold another display.
timeout 30 wineserver -k 2>/dev/null
# Wine links the user's Documents to the Linux home's; the test's own stays
# inside the prefix.
if [ -L "$WINEPREFIX/drive_c/users/$user/Documents" ]; then
  rm "$WINEPREFIX/drive_c/users/$user/Documents"
  mkdir "$WINEPREFIX/drive_c/users/$user/Documents"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/crvl-test-gui.XXXXXX")
documents="$WINEPREFIX/drive_c/users/$user/Documents/Corvel"
rm -rf "$documents"
started=()
cleanup() {
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null
  done
  timeout 30 wineserver -k 2>/dev/null
  rm -f "$WINEPREFIX/dosdevices/com1"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The X window of a Windows window by its title, once it can be seen.
window_id() {
  local title=$1 waited=0 id
  while [ "$waited" -lt 60 ]; do
    for id in $(xwininfo -root -tree | grep -F "\"$title\":" | awk '{ print $1 }'); do
      if xwininfo -id "$id" | grep -q 'IsViewable'; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.5
    waited=$((waited + 1))
  done
  return 1
}

shot() {
  if [ -n "$shots" ]; then
    sleep 1
    import -window "$1" "$shots/$2"
  fi
}

# Starts a program in folder DIR under Wine; its output goes to LOG.
start() {
  local dir=$1 log=$2
  shift 2
  (cd "$dir" && exec timeout 300 wine "$@") >"$log" 2>&1 &
  started+=($!)
}

# --- The remote control through the relay -----------------------------------
relay_in=$work/relay-in
relay_out=$work/relay-out
mkfifo "$relay_in" "$relay_out"
remote_start() {
  local name=$1
  (cd "$work" && exec timeout 300 wine "$programs/remote_ui_relay.exe" "crvl-wine-$name") \
    <"$relay_in" >"$relay_out" 2>"$work/relay-$name.log" &
  started+=($!)
  exec 3>"$relay_in" 4<"$relay_out"
  local line
  IFS= read -r -t 60 line <&4 && [ "$line" = listening ]
}
remote_connected() {
  local line
  IFS= read -r -t 60 line <&4 && [ "$line" = connected ]
}
remote_stop() {
  exec 3>&- 4<&-
}
# One command (its fields given as arguments, joined by tabs); the answer.
ask() {
  local IFS=$'\t' answer
  printf '%s\n' "$*" >&3
  IFS= read -r -t 40 answer <&4 || answer="error	no answer"
  printf '%s\n' "$answer"
}
# Waits until the active modal window is of class CLASS ("" for none). The
# answer has one field, the class and the title with an escaped tab between,
# or none when no modal window is open.
wait_modal() {
  local waited=0
  while [ "$waited" -lt 60 ]; do
    [ "$(ask modal | cut -s -f2 | sed 's/\\t.*//')" = "$1" ] && return 0
    sleep 0.5
    waited=$((waited + 1))
  done
  return 1
}
# Waits until the answer to a command is EXPECTED.
wait_answer() {
  local expected=$1 waited=0
  shift
  while [ "$waited" -lt 60 ]; do
    [ "$(ask "$@")" = "$expected" ] && return 0
    sleep 0.5
    waited=$((waited + 1))
  done
  return 1
}

# A second start of crvlconfig brings the first one forward (its local
# server is a named pipe under Windows) and ends; one window stays.
single_instance() {
  local title=$1 second waited=0
  (cd "$work" && exec timeout 60 wine "$release/crvlconfig.exe") >"$work/second.log" 2>&1 &
  second=$!
  while kill -0 "$second" 2>/dev/null && [ "$waited" -lt 30 ]; do
    sleep 0.5
    waited=$((waited + 1))
  done
  local windows=0 id
  for id in $(xwininfo -root -tree | grep -F "\"$title\":" | awk '{ print $1 }'); do
    xwininfo -id "$id" | grep -q 'IsViewable' && windows=$((windows + 1))
  done
  if kill -0 "$second" 2>/dev/null; then
    kill "$second"
    fail "a second crvlconfig.exe did not end ($windows windows \"$title\")"
  elif [ "$windows" -eq 1 ]; then
    pass "a second crvlconfig.exe handed over to the running one and ended"
  else
    fail "a second crvlconfig.exe ended, but $windows windows \"$title\" are there"
  fi
}

# --- The installer -------------------------------------------------------------
# Installed for the current user and removed again, silently.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
setup=$root/build/packages/crvl-$version-windows-setup.exe
installed="$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/Corvel"
menu="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Corvel"
if ! timeout 120 wine "$setup" /S /CurrentUser >"$work/setup.log" 2>&1; then
  fail "the installer failed: $(tail -n 3 "$work/setup.log")"
else
  timeout 60 wineserver -w
  missing=""
  for file in "$installed/crvlbuilder.exe" "$installed/crvlconfig.exe" "$installed/crvlupd.exe" \
    "$installed/crvlctl.exe" "$installed/platforms/qwindows.dll" "$installed/lessons" \
    "$menu/Corvel Scenario Builder.lnk" "$menu/Corvel Configuration.lnk" "$menu/Corvel Classroom.lnk" \
    "$menu/Corvel Update.lnk" "$menu/Lessons.lnk" "$menu/Uninstall.lnk"; do
    [ -e "$file" ] || missing="$missing ${file#"$WINEPREFIX/"}"
  done
  if [ -z "$missing" ]; then
    pass "the installer put the programs and the Start menu entries in place for the user"
  else
    fail "the installer left out:$missing"
  fi
  timeout 120 wine "$installed/uninstall.exe" /S /CurrentUser >"$work/uninstall.log" 2>&1
  # The uninstaller runs on from a copy of itself.
  waited=0
  while [ -e "$installed" ] && [ "$waited" -lt 60 ]; do
    sleep 0.5
    waited=$((waited + 1))
  done
  timeout 60 wineserver -w
  if [ ! -e "$installed" ] && [ ! -e "$menu" ]; then
    pass "the uninstaller removed the programs and the Start menu entries"
  else
    fail "the uninstaller left $(find "$installed" "$menu" 2>/dev/null | head -n 3 | tr '\n' ' ')"
  fi
fi

# --- The four windows of the release build -----------------------------------
release=$root/build-windows/crvl
for check in "crvlbuilder|Corvel Scenario Builder|windows-builder.png" \
  "crvlconfig|Corvel Configuration|windows-config.png" \
  "crvlupd|Corvel Update|windows-updater.png" \
  "crvlclass|Corvel Classroom|windows-classroom.png"; do
  IFS='|' read -r program title picture <<<"$check"
  start "$work" "$work/$program.log" "$release/$program.exe"
  if id=$(window_id "$title"); then
    pass "$program.exe shows its window \"$title\""
    shot "$id" "$picture"
    if [ "$program" = crvlconfig ]; then
      single_instance "$title"
    fi
  else
    fail "$program.exe showed no window \"$title\": $(tail -n 3 "$work/$program.log")"
  fi
  kill "${started[-1]}" 2>/dev/null
  timeout 30 wineserver -k 2>/dev/null
done

# --- The builder: its work folder, save, load, print --------------------------
builder=crvl::MainFrame
canvas=$builder/bigPanel
if ! remote_start builder; then
  fail "remote_ui_relay.exe did not listen: $(cat "$work/relay-builder.log")"
else
  # Started in its own folder, as the Start menu starts it.
  # Its print jobs go to a PDF file (a test build's hook): Wine's print
  # dialog has no printer to offer on a machine without CUPS.
  printed=$work/printed.pdf
  CRVL_REMOTE_UI=crvl-wine-builder CRVL_PRINT_TO_PDF=$(winepath -w "$printed" 2>/dev/null) \
    start "$programs" "$work/builder.log" "$programs/crvlbuilder.exe"
  if ! remote_connected; then
    fail "crvlbuilder.exe did not connect to the relay: $(tail -n 3 "$work/builder.log")"
  elif ! wait_answer "ok	1" exists "$canvas/Frame0"; then
    fail "the builder's start frame did not come: $(tail -n 3 "$work/builder.log")"
  else
    if [ -d "$documents/template" ] && [ -d "$documents/scenarios" ]; then
      pass "the builder started in its folder works in Documents\\Corvel, with its data there"
    else
      fail "the builder made no work folder in Documents\\Corvel"
    fi
    # A second frame, then save as "wine road".
    ask click "$builder/createFramesTool" >/dev/null
    ask click "$canvas" 400 200 >/dev/null
    wait_answer "ok	1" exists "$canvas/Frame1" || fail "the builder made no second frame"
    ask click "$builder/saveTool" >/dev/null
    # The builder writes a space in a name as '_'.
    saved="$documents/scenarios/wine_road.scn"
    if wait_modal crvl::SaveLoadDialog &&
      ask key "@modal/textField1" Ctrl+A >/dev/null &&
      ask type "@modal/textField1" "wine road" >/dev/null &&
      ask click "@modal/okButton" >/dev/null &&
      wait_modal "" && [ -s "$saved" ]; then
      pass "the builder saved \"wine road\" into Documents\\Corvel\\scenarios ($(wc -c <"$saved") bytes)"
    else
      fail "the builder did not save \"wine road\" into $documents/scenarios ($(ask modal))"
    fi
    # New, then load it back: the second frame returns.
    ask click "$builder/newTool" >/dev/null
    wait_answer "ok	0" exists "$canvas/Frame1"
    ask click "$builder/loadTool" >/dev/null
    wait_modal crvl::SaveLoadDialog
    ask key "@modal/textField1" Ctrl+A >/dev/null
    ask type "@modal/textField1" "wine road" >/dev/null
    ask click "@modal/okButton" >/dev/null
    if wait_answer "ok	1" exists "$canvas/Frame1"; then
      pass "the builder loaded \"wine road\" with both its frames"
    else
      fail "the builder did not load \"wine road\" ($(ask modal))"
    fi
    # Help: the builder's help window with its first page.
    ask key "$builder" F1 >/dev/null
    if wait_answer "ok	1" exists crvl::JBrowser; then
      pass "the builder's help window opened: $(ask text crvl::JBrowser | cut -f2)"
    else
      fail "the builder's help window did not open"
    fi
    # Print: the builder's choice of one page or two; one page, into the PDF.
    ask click "$builder/printTool" >/dev/null
    if ! wait_modal crvl::Print; then
      fail "the builder's Print opened no printing mode dialog ($(ask modal))"
    else
      ask click "@modal/OKButton" >/dev/null
      wait_modal ""
      pages=$(pdfinfo "$printed" 2>/dev/null | sed -n 's/^Pages: *//p')
      if [ "$pages" = 1 ] && pdftotext "$printed" - | grep -q "1/1"; then
        pass "the builder printed \"wine road\" on one page to PDF (page 1/1)"
      else
        fail "the builder's print to PDF: ${pages:-no} pages, $(pdftotext "$printed" - 2>&1 | head -n 3)"
      fi
    fi
  fi
  remote_stop
fi

# --- crvlconfig against the simulated trainer on COM1 -------------------------
trainersim=$root/build/bin/trainersim
if [ ! -x "$trainersim" ]; then
  fail "build/bin/trainersim is missing (make build): crvlconfig cannot be checked"
else
  # A Wine server that stays: its device manager links COM1 to /dev/ttyS0
  # when it starts, so the link to trainersim is made after that.
  timeout 30 wineserver -k 2>/dev/null
  timeout 30 wineserver -p >/dev/null 2>&1
  timeout 120 wine cmd /c exit >/dev/null 2>&1
  # Its input stays open until the end: the simulator runs until it closes.
  rm -f "$WINEPREFIX/dosdevices/com1"
  mkfifo "$work/sim-in"
  exec 5<>"$work/sim-in"
  "$trainersim" --link "$WINEPREFIX/dosdevices/com1" <"$work/sim-in" >"$work/sim.out" \
    2>"$work/sim.log" &
  started+=($!)
  if remote_start config; then
    CRVL_REMOTE_UI=crvl-wine-config start "$work" "$work/config.log" "$programs/crvlconfig.exe"
    if remote_connected && wait_answer "ok	Connect" text "crvl::CConfigDlg/1022"; then
      ask click "crvl::CConfigDlg/1022" >/dev/null
      if wait_answer "ok	Disconnect" text "crvl::CConfigDlg/1022"; then
        pass "crvlconfig.exe connected to trainersim on COM1: $(ask text "crvl::CConfigDlg/1023" | cut -f2)"
      else
        fail "crvlconfig.exe did not connect on COM1: $(ask text "crvl::CConfigDlg/1023" | cut -f2); modal: $(ask modal | cut -f2); the simulator said: $(tail -n 3 "$work/sim.log"); crvlconfig said: $(grep -v ':fixme:' "$work/config.log" | tail -n 3)"
      fi
    else
      fail "crvlconfig.exe did not come up under the remote control: $(tail -n 3 "$work/config.log")"
    fi
    remote_stop
  else
    fail "remote_ui_relay.exe did not listen: $(cat "$work/relay-config.log")"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "test-gui: $failures checks failed"
  exit 1
fi
echo "test-gui: all checks passed"
