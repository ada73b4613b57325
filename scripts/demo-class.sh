#!/bin/sh
# The classroom without hardware: six simulated trainers, each on its own
# pseudo-terminal behind a link named like a USB adapter's, each playing a
# shipped lesson, and crvlclass finding them through CRVL_PORT_DIR. It stops
# when crvlclass is closed.
#   scripts/demo-class.sh [build dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build}/bin" && pwd)
for program in trainersim crvlclass; do
    if [ ! -x "$bin/$program" ]; then
        echo "demo-class: $bin/$program is not built (run make demo-class)" >&2
        exit 1
    fi
done

work=${CRVL_DEMO_DIR:-${TMPDIR:-/tmp}/crvl-class-$(id -u)}
ports="$work/ports"
rm -rf "$ports"
mkdir -p "$ports" "$work/sessions"
ln -sfn "$bin/lessons" "$work/lessons"

# Each trainer holds the lesson in custom slot 1 and plays it (scenario 11)
# from the start; its commands come from a FIFO held open by this script.
pids=""
# shellcheck disable=SC2086
trap 'kill $pids 2>/dev/null || true' EXIT INT TERM
n=1
for lesson in vf-shock-series vf-shock-series vf-shock-series vf-shock-series vf-shock-series vf-shock-series; do
    name="usb-Corvel_Trainer_SIM000$n-if00-port0"
    fifo="$work/input$n"
    rm -f "$fifo"
    mkfifo "$fifo"
    "$bin/trainersim" --link "$ports/$name" --lesson "$lesson" --slot 1 \
        <>"$fifo" >/dev/null 2>"$work/trainersim$n.log" &
    pids="$pids $!"
    exec 3<>"$fifo"
    echo "play 11" >&3
    exec 3>&-
    n=$((n + 1))
done

echo "Six simulated trainers in $ports; Class > Monitor All follows their lessons."
cd "$work"
CRVL_PORT_DIR="$ports" "$bin/crvlclass" || true
