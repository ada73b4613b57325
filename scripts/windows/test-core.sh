#!/bin/sh
# The Windows test run of the parts without a window, under Wine: the Qt-free
# test suites cross-built for Windows, the Windows serial port, crvlctl.exe
# and crvlupd.exe against the simulated trainer (the Linux trainersim)
# through Wine's serial mapping. Each check prints one PASS or FAIL line;
# what Wine cannot do on a pseudo-terminal is printed as a NOTE with its
# reason. Exits 1 when any check failed.
#
# Builds build-win/ (windows-core preset) and build/'s trainersim first.
# crvlupd.exe is the Qt program: it is taken from build-windows/crvl/
# (make windows) and its checks fail when it is not there.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root" || exit 1
win=$root/build-win
jobs=${JOBS:-$(nproc)}
started=$(date +%s)
failures=0

pass() { echo "PASS: $1"; }
fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}
note() { echo "NOTE: $1"; }

# check NAME FILE EXPECTED: FILE holds exactly EXPECTED (without the \r
# Windows puts before each \n).
check_text() {
  if [ "$(tr -d '\r' <"$2")" = "$3" ]; then
    pass "$1"
  else
    fail "$1: got '$(tr -d '\r' <"$2")', wanted '$3'"
  fi
}

# check_code NAME GOT WANTED
check_code() {
  if [ "$2" -eq "$3" ]; then pass "$1 exits with $3"; else fail "$1 exits with $2, not $3"; fi
}

# check_has NAME FILE TEXT: a line of FILE is TEXT or contains it.
check_has() {
  if tr -d '\r' <"$2" | grep -qF -- "$3"; then
    pass "$1"
  else
    fail "$1: '$3' not in '$(tr -d '\r' <"$2" | tail -n 5)'"
  fi
}

echo "== building (windows-core preset, trainersim)"
if ! { cmake --preset windows-core >/dev/null && cmake --build --preset windows-core -j "$jobs" >/dev/null; }; then
  fail "the Windows build (cmake --build --preset windows-core)"
  exit 1
fi
if ! { { [ -f build/build.ninja ] || cmake --preset default >/dev/null; } &&
  cmake --build build -j "$jobs" --target trainersim >/dev/null; }; then
  fail "the Linux trainersim (cmake --build build --target trainersim)"
  exit 1
fi

WINEPREFIX=$(sh "$root/scripts/windows/wine-prefix.sh") || exit 1
export WINEPREFIX WINEDEBUG=-all
# Arguments and file names go to Wine as UTF-8 ("Jürgen").
export LC_ALL=C.UTF-8
# One Wine server for the whole run: each program then starts in well under
# a second. Its device manager starts with the first program and links COM1
# to /dev/ttyS0 anew: the links to trainersim are made after that.
# The server opens the terminal of COM1 and may get it as its controlling
# terminal: its report on the hang-up when trainersim stops goes nowhere.
timeout 30 wineserver -p >/dev/null 2>&1
timeout 120 wine cmd /c exit >/dev/null 2>&1
tmp=$(mktemp -d)
sim_pid=""
stop_sim() {
  if [ -n "$sim_pid" ]; then
    exec 3>&-
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=""
  fi
}
cleanup() {
  stop_sim
  rm -f "$WINEPREFIX/dosdevices/com1" "$WINEPREFIX/dosdevices/com12"
  timeout 30 wineserver -k 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT INT TERM

# start_sim ARGS...: trainersim on a new pseudo-terminal, its commands from
# the descriptor 3, Wine's COM1 and COM12 linked to its terminal.
start_sim() {
  stop_sim
  rm -f "$tmp/sim.in" "$tmp/sim.out" "$tmp/tty"
  mkfifo "$tmp/sim.in"
  "$root/build/bin/trainersim" --link "$tmp/tty" "$@" <"$tmp/sim.in" >"$tmp/sim.out" 2>"$tmp/sim.log" &
  sim_pid=$!
  exec 3>"$tmp/sim.in"
  for _ in $(seq 50); do
    [ -e "$tmp/tty" ] && break
    sleep 0.1
  done
  ln -sfn "$tmp/tty" "$WINEPREFIX/dosdevices/com1"
  ln -sfn "$tmp/tty" "$WINEPREFIX/dosdevices/com12"
  if [ ! -e "$tmp/tty" ] || [ "$(readlink "$WINEPREFIX/dosdevices/com1")" != "$tmp/tty" ]; then
    fail "trainersim's terminal as Wine's COM1 ($(readlink "$WINEPREFIX/dosdevices/com1"))"
  fi
}

# sim COMMAND: a trainersim command; its answer's last line is printed.
sim() {
  lines=$(wc -l <"$tmp/sim.out")
  echo "$*" >&3
  for _ in $(seq 50); do
    [ "$(wc -l <"$tmp/sim.out")" -gt "$lines" ] && break
    sleep 0.1
  done
  tail -n 1 "$tmp/sim.out"
}

# ctl ARGS...: crvlctl.exe; out, err and code are left in $tmp/out, $tmp/err
# and $code.
ctl() {
  timeout 60 wine "$win/bin/crvlctl.exe" "$@" >"$tmp/out" 2>"$tmp/err"
  code=$?
}

echo "== the Qt-free test suites under Wine"
# Not built for Windows (their CMake files say CRVL_POSIX): the ones that
# drive a pseudo-terminal or the simulated trainer in the process
# (link_port_test, link_alloc_test, config_exchange_tests, trainersim_test,
# update_core_test, update_sim_test, crvlctl_program_tests) and
# instance_name_test (it sets variables with POSIX setenv). What they check on the wire
# is checked below through Wine's serial port instead.
note "suites with a pseudo-terminal or the in-process trainer are not built for Windows (POSIX only); crvlctl and crvlupd are checked against trainersim below"
for suite in "$win"/tests/*_test.exe "$win"/tests/*_tests.exe; do
  name=$(basename "$suite" .exe)
  [ "$name" = serial_line_win_test ] && continue
  if (cd "$win/tests" && timeout 300 wine "$suite" >"$tmp/$name.log" 2>&1); then
    pass "$name ($(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$tmp/$name.log" | tail -n 1))"
    tr -d '\r' <"$tmp/$name.log" | sed -n 's/^\[  SKIPPED \] \([A-Za-z][^ ]*\).*/NOTE: skipped under Wine: \1/p' | sort -u
  else
    fail "$name"
    tr -d '\r' <"$tmp/$name.log" | grep -E '^\[  FAILED|Failure|error' | head -n 20
  fi
done

echo "== the Windows serial port on a pseudo-terminal"
note "WaitCommEvent, EscapeCommFunction (DTR/RTS) and GetCommModemStatus fail on Wine's pseudo-terminal ports (no modem lines): the port uses none of them"
note "a break (SetCommBreak) succeeds but a pseudo-terminal does not carry it: trainersim takes 0x00 after a quiet line as the boot-strap request"
start_sim --silent
if (cd "$win/tests" && timeout 120 wine serial_line_win_test.exe --gtest_brief=1 >"$tmp/line.log" 2>&1); then
  pass "serial_line_win_test (time-out, wake, break, COM12)"
else
  fail "serial_line_win_test"
  tr -d '\r' <"$tmp/line.log" | grep -E '^\[  FAILED|Failure|error|Expected|Which|actual' | head -n 20
fi

echo "== crvlctl.exe against trainersim on COM1"
start_sim --parameters "05 0c 01 02 00 b4 00 5a 96 05" --version 2.1.3 --battery 190
ctl --port COM1 params
check_code "crvlctl params" "$code" 0
check_text "crvlctl params prints every parameter" "$tmp/out" "volume = 5
default-scenario = C2
cpr-pause = long
shock-series = 2
protocol-timeout = unlimited
cpr-timer = 180
no-shock-pause = monitoring
prompt-interval = 90
pad-tolerance = 150
lamp-indication = off
volume-buttons = on
remote-response = off"
check_text "crvlctl params says nothing on standard error" "$tmp/err" ""

ctl --port COM1 --json info
check_code "crvlctl info" "$code" 0
check_text "crvlctl info reads version and battery" "$tmp/out" \
  '{"port":"COM1","software":"2.1","hardware":"03","battery-volts":7.6,"battery-state":"low"}'

ctl --port COM12 find
check_code "crvlctl find on COM12" "$code" 0
check_text "crvlctl find on COM12 (device namespace)" "$tmp/out" "COM12 software=2.1 hardware=03"

sim parameters "03 01 00 01 2d 78 78 3c af 08" >/dev/null
ctl --port COM1 set volume=7 remote-response=off
check_code "crvlctl set" "$code" 0
check_text "crvlctl set reports the transfer" "$tmp/out" \
  "COM1: The new configuration was successfully transferred to the Corvel."
sim parameters >"$tmp/sim.answer"
check_text "crvlctl set: the trainer holds the new record" "$tmp/sim.answer" \
  "parameters 07 01 00 01 2D 78 78 3C AF 0C"

# A folder and a file name with spaces and letters beyond ASCII, as a
# Windows user's documents have them.
folder="$tmp/Jürgen Müller/Übungen"
mkdir -p "$folder"
cp dist/demo/demo.scn "$folder/Übung 1.scn"
ctl --port COM1 upload C2 "$folder/Übung 1.scn"
check_code "crvlctl upload" "$code" 0
check_has "crvlctl upload from a folder named Jürgen Müller" "$tmp/out" \
  "COM1: C2 Übung 1 The new configuration was successfully transferred to the Corvel."
ctl --port COM1 slots
check_code "crvlctl slots" "$code" 0
check_text "crvlctl slots shows the uploaded name" "$tmp/out" "C1 = Custom 1
C2 = Übung 1
C3 = Custom 3"

ctl --port COM1 upload 1 "$folder/missing.scn"
check_code "crvlctl upload of a missing file" "$code" 2

echo "== crvlctl.exe monitor"
# A trainer as it starts: the built-in scenario 1 in VF.
start_sim
log="$folder/Sitzung 1.csv"
timeout 60 wine "$win/bin/crvlctl.exe" --port COM1 monitor --seconds 4 --log "$log" \
  >"$tmp/monitor.out" 2>"$tmp/monitor.err" &
monitor_pid=$!
for _ in $(seq 100); do
  grep -q "event=start" "$tmp/monitor.out" 2>/dev/null && break
  sleep 0.1
done
sim shock >/dev/null
wait "$monitor_pid"
check_code "crvlctl monitor" "$?" 0
check_has "crvlctl monitor starts in VF" "$tmp/monitor.out" \
  "event=start scenario=01 frame=00 rhythm=VF shockable=yes pulse=no pads=yes motion=no failure=no battery=ok"
check_has "crvlctl monitor sees the shock" "$tmp/monitor.out" \
  "event=shock scenario=01 frame=00 rhythm=VF"
check_has "crvlctl monitor sees the next frame" "$tmp/monitor.out" \
  "event=frame scenario=01 frame=01 rhythm=Sinus shockable=no pulse=yes"
check_has "crvlctl monitor ends" "$tmp/monitor.out" " event=end scenario=01 frame=01 "
check_text "crvlctl monitor says nothing on standard error" "$tmp/monitor.err" ""
if [ -f "$log" ] && head -n 1 "$log" | grep -q '^time_s,' &&
  grep -q ',start,01,00,VF,yes,no,yes,no,no,ok' "$log" && grep -q ',end,01,01,' "$log"; then
  pass "crvlctl monitor writes the session log into Jürgen Müller's folder"
else
  fail "crvlctl monitor's session log $log"
fi
if tail -n 3 "$tmp/sim.log" | grep -q "SetAttached off"; then
  pass "crvlctl monitor leaves the trainer detached"
else
  fail "crvlctl monitor leaves the trainer detached: $(tail -n 3 "$tmp/sim.log")"
fi

echo "== crvlupd.exe unattended against trainersim's boot loader"
crvlupd="$root/build-windows/crvl/crvlupd.exe"
if [ ! -f "$crvlupd" ]; then
  fail "crvlupd.exe is not built ($crvlupd: make windows builds it)"
else
  note "SetCommState at 56000 baud: Wine sets a pseudo-terminal to 38400 instead (a speed outside its table goes through a serial divisor that a pseudo-terminal has not), so trainersim takes 38400 as the programming speed here"
  start_sim --programming-speed 38400
  # 30 data records of 16 bytes: with the address and end records 32
  # records, 1348 bytes.
  awk 'function record(address, type, n,   sum, i, line) {
         sum = n + int(address / 256) + address % 256 + type
         line = sprintf(":%02X%04X%02X", n, address, type)
         for (i = 0; i < n; i++) { line = line sprintf("%02X", byte[i]); sum += byte[i] }
         return line sprintf("%02X", (256 - sum % 256) % 256)
       }
       BEGIN {
         byte[0] = 0; byte[1] = 1
         print record(0, 4, 2)
         for (r = 0; r < 30; r++) {
           for (i = 0; i < 16; i++) byte[i] = (r * 16 + i * 7) % 256
           print record(r * 16, 0, 16)
         }
         print ":00000001FF"
       }' >"$folder/FW 1.hex"
  (cd "$folder" && timeout 120 wine "$crvlupd" --port COM1 "FW 1.hex" >"$tmp/out" 2>"$tmp/err")
  code=$?
  check_code "crvlupd unattended" "$code" 0
  check_has "crvlupd names the image" "$tmp/err" "(1348 bytes, 32 records) to COM1 (COM1)"
  check_has "crvlupd reports the upload" "$tmp/err" "crvlupd: Program upload completed"
  check_has "crvlupd says it succeeded" "$tmp/err" "crvlupd: the upload to COM1 (COM1) succeeded"
  check_has "trainersim's boot loader took every record" "$tmp/sim.log" "end of file after 32 records"
fi

stop_sim
echo "== $failures failed; $(($(date +%s) - started)) s"
[ "$failures" -eq 0 ]
