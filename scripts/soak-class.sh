#!/bin/sh
# The classroom's soak: eight trainers of a separate trainersim process,
# monitored by the classroom's logic (build/bench/classroom_soak) for MINUTES
# minutes (default 30) under random faults sent to trainersim's command
# input. Prints the faults, the PASS and FAIL lines of the checks, and exits
# non-zero on a failure. Build first:
#   cmake --build build --target trainersim classroom_soak
set -eu
minutes=${1:-30}
build=${BUILD_DIR:-build}
work=$(mktemp -d "${TMPDIR:-/tmp}/crvl-soak.XXXXXX")
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
mkdir "$work/ports" "$work/sessions"
mkfifo "$work/commands"

# trainersim reads its commands from the FIFO, which the driver opens; it
# ends when the driver closes it.
"$build/bin/trainersim" --count 8 --link-dir "$work/ports" \
    <"$work/commands" >"$work/trainersim.out" 2>"$work/trainersim.log" &
sim_pid=$!

status=0
CRVL_PORT_DIR="$work/ports" "$build/bench/classroom_soak" --commands "$work/commands" \
    --sessions "$work/sessions" --seconds $((minutes * 60)) || status=$?
exit "$status"
