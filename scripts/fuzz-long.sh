#!/bin/sh
# Runs every fuzz target of build-fuzz/ for SECONDS seconds, one after the
# other, each from its seed corpus, and prints one line per target: the
# executions, the coverage (edges) and the features libFuzzer reached, and
# the corpus size at the end. Stops with exit code 1 at the first target that
# finds a fault; its report and the input are in build-fuzz/fuzz/<target>.log.
set -eu
seconds=${1:?usage: fuzz-long.sh SECONDS}
dir=build-fuzz/fuzz
printf '%-26s %12s %8s %8s %8s\n' target executions cov ft corpus
for target in "$dir"/*_fuzz; do
    name=$(basename "$target")
    log="$dir/$name.log"
    if ! "$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/$name-" "$dir/corpus/$name" >"$log" 2>&1; then
        echo "$name found a fault, see $log" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    done_line=$(grep 'DONE' "$log" | tail -n 1)
    cov=$(echo "$done_line" | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
    ft=$(echo "$done_line" | sed -n 's/.*ft: \([0-9]*\).*/\1/p')
    corp=$(echo "$done_line" | sed -n 's/.*corp: \([0-9]*\).*/\1/p')
    printf '%-26s %12s %8s %8s %8s\n' "$name" "$runs" "$cov" "$ft" "$corp"
done
