#!/bin/sh
# The road of one scenario without hardware: the simulated trainer on a
# pseudo-terminal with a shipped lesson in custom slot 1, crvlconfig with COM1
# mapped to it, and crvlbuilder. Standard input goes to the simulator; it
# stops when both programs are closed.
#   scripts/demo.sh [build dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build}/bin" && pwd)
for program in trainersim crvlconfig crvlbuilder; do
    if [ ! -x "$bin/$program" ]; then
        echo "demo: $bin/$program is not built (run make demo)" >&2
        exit 1
    fi
done

# A working folder of the demo's own: the builder saves into its scenarios/,
# and crvlconfig's upload dialog opens there.
work=${CRVL_DEMO_DIR:-${TMPDIR:-/tmp}/crvl-demo-$(id -u)}
mkdir -p "$work/scenarios"
for data in picts images inits template help lessons; do
    ln -sfn "$bin/$data" "$work/$data"
done
cp "$root/dist/demo/demo.scn" "$work/scenarios/demo.scn"
link="$work/trainer"
rm -f "$link"

cat <<TEXT
The simulated trainer holds the lesson "vf-shock-series" in custom slot 1
(scenario 11): VF, a shock, 120 s of CPR, twice, then a third shock. Try:
  - crvlconfig: Connect; Custom Scenarios: upload $work/scenarios/demo.scn
    (or one you saved from the builder) into a slot; Monitor.
  - here, type commands to the trainer: play 11, shock, cpr start, wait 120,
    scenario, help. The monitor follows the frames.
  - crvlbuilder saves into $work/scenarios/.
Close both programs to stop the simulator.
TEXT

# Without a terminal nobody types commands; the simulator's input stays
# open (a FIFO held for reading and writing never ends) until the programs
# close.
if [ ! -t 0 ]; then
    rm -f "$work/input"
    mkfifo "$work/input"
    exec 0<>"$work/input"
fi

# The programs start once the simulator's terminal is there; when both have
# ended, the simulator (this shell, after exec) is stopped.
sim_pid=$$
(
    tries=0
    while [ ! -e "$link" ] && [ $tries -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    cd "$work"
    CRVL_COM1="$link" "$bin/crvlconfig" >/dev/null 2>&1 &
    config_pid=$!
    "$bin/crvlbuilder" >/dev/null 2>&1 &
    builder_pid=$!
    wait $config_pid $builder_pid || true
    kill "$sim_pid" 2>/dev/null || true
) </dev/null &
exec "$bin/trainersim" --link "$link" --lesson vf-shock-series --slot 1 2>"$work/trainersim.log"
