#!/usr/bin/env bash
# Runs libFuzzer targets one after the other and ends with a table of each
# target's executions, findings and time. Used by `make fuzz` and `make
# fuzz-smoke`; the options come from the environment:
#   FUZZ_BUILD    build folder holding fuzz/fuzz_TARGET
#   FUZZ_WORK     where each target's new inputs (WORK/TARGET), log
#                 (WORK/TARGET.log) and findings (WORK/TARGET-crash-...) go
#   FUZZ_RUNS     executions per target (-runs)
#   FUZZ_SECONDS  the most seconds a target may take (-max_total_time)
#   FUZZ_SEED     libFuzzer's seed (0: a new one per run)
#   FUZZ_TIMEOUT  seconds one input may take before it counts as a finding
#   FUZZ_EXTRA_TARGET  one more corpus directory for TARGET
# The arguments are the targets. The exit status is 1 when a target found
# something or failed, 0 otherwise.
set -u

build=${FUZZ_BUILD:?}
work=${FUZZ_WORK:?}
runs=${FUZZ_RUNS:-1000000}
seconds=${FUZZ_SECONDS:-3600}
seed=${FUZZ_SEED:-0}
timeout=${FUZZ_TIMEOUT:-10}
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$work"
table="$work/summary.tsv"
printf 'target\texecutions\tfindings\tseconds\texecs_per_second\tstatus\n' >"$table"
failed=0
for target in "$@"; do
    mkdir -p "$work/$target"
    corpora=()
    for dir in "$here/corpus/$target" "$here/regressions/$target"; do
        [ -d "$dir" ] && corpora+=("$dir")
    done
    extra=FUZZ_EXTRA_$target
    [ -n "${!extra:-}" ] && corpora+=("${!extra}")
    # Findings of an earlier run are kept apart so that only this run's count.
    find "$work" -maxdepth 1 -name "$target-*" -type f -delete
    log="$work/$target.log"
    start=$(date +%s)
    # Inputs are scheduled by their execution time too: an input declaring a
    # count of a million takes a second under the sanitizers, a thousand
    # times a small one, and mutations of it would otherwise fill the hour.
    "$build/fuzz/fuzz_$target" "$work/$target" "${corpora[@]}" \
        -entropic_scale_per_exec_time=1 \
        -artifact_prefix="$work/$target-" -timeout="$timeout" -print_final_stats=1 \
        -runs="$runs" -max_total_time="$seconds" -seed="$seed" >"$log" 2>&1
    status=$?
    elapsed=$(($(date +%s) - start))
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    [ -n "$executions" ] || executions=$(grep -o '#[0-9]*' "$log" | tail -n 1 | tr -d '#')
    # Slow units are kept for a look; they are no findings.
    findings=$(find "$work" -maxdepth 1 -name "$target-*" ! -name "$target-slow-unit-*" -type f | wc -l)
    rate=$(( ${executions:-0} / (elapsed > 0 ? elapsed : 1) ))
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$target" "${executions:-0}" "$findings" "$elapsed" "$rate" "$status" >>"$table"
    printf 'fuzz_%s: %s executions, %s findings, %s s (exit %s; log %s)\n' \
        "$target" "${executions:-0}" "$findings" "$elapsed" "$status" "$log"
    if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then failed=1; fi
done

echo "--- $table"
column -t -s $'\t' "$table" 2>/dev/null || cat "$table"
exit "$failed"
