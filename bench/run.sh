#!/usr/bin/env bash
# Benchmark of resolve-paralogs on generated inputs: wall time and peak memory
# of reading the solution (the tool's reader and the reference reader) and of
# the whole run, next to the floor of counting the solution's lines.
#
#   bench/run.sh [small|medium|large|all]      (default: medium)
#
# Environment:
#   BUILD                  build directory, below the repository unless absolute (build)
#   JOBS                   build jobs (2)
#   BENCH_SEED             generator seed (1)
#   BENCH_REFERENCE_LARGE  1: run the reference reader on large too (needs ~18 GB)
#   BENCH_NO_BUILD         1: do not build first (make bench has built already)
set -euo pipefail

usage() {
    echo "usage: bench/run.sh [small|medium|large|all]" >&2
    exit 2
}

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

[ $# -le 1 ] || usage
case ${1:-medium} in
    small | medium | large) sizes=("${1:-medium}") ;;
    all) sizes=(small medium large) ;;
    *) usage ;;
esac

bench_require_time
bench_build
for program in bench/rp-bench-generate bench/rp-bench-read-solution bench/rp-bench-ptree-reader resolve-paralogs; do
    if [ ! -x "$build/$program" ]; then
        echo "bench: $build/$program is missing (configured with RESOLVE_PARALOGS_BENCH=OFF?)" >&2
        exit 1
    fi
done

bench_scratch

# measure DIR COMMAND...: runs COMMAND in DIR under /usr/bin/time. Sets
# wall_ns (wall time by the clock around it, in ns), rss_kib (peak resident
# set, /usr/bin/time's %M) and last_line (the last line it printed). A run
# under 5 s is made twice and the faster one kept.
measure() {
    local dir=$1 start end elapsed peak best=""
    shift
    for _ in 1 2; do
        start=$(date +%s%N)
        if ! (cd "$dir" && /usr/bin/time -f '%e %M' -o "$scratch/time" "$@" >"$scratch/out" 2>"$scratch/err"); then
            echo "bench: failed: $*" >&2
            cat "$scratch/err" >&2
            echo >&2
            return 1
        fi
        end=$(date +%s%N)
        elapsed=$((end - start))
        peak=$(tail -n 1 "$scratch/time" | cut -d' ' -f2)
        if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then
            best=$elapsed
            rss_kib=$peak
        fi
        [ "$elapsed" -lt 5000000000 ] || break
    done
    wall_ns=$best
    last_line=$(tail -n 1 "$scratch/out")
}

seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }
mib() { awk -v kib="$1" 'BEGIN { printf "%.1f", kib / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { if (b > 0) printf f, a / b; else printf "n/a" }'; }
info() { awk -v key="$1" '$1 == key { print $2 }' "$info_file"; }

# verdict VALUE OP LIMIT APPLIES_TO: "met"/"NOT met" when the target applies
# to the size measured, else which size it is for.
verdict() {
    local value=$1 op=$2 limit=$3 applies=$4
    if [ "$value" = n/a ] || [ "$value" = skipped ]; then echo "-"; return; fi
    if [ "$applies" != any ] && [ "$applies" != "$size" ]; then echo "(for $applies)"; return; fi
    awk -v v="${value%x}" -v op="$op" -v l="$limit" \
        'BEGIN { ok = (op == "<=") ? (v <= l) : (v >= l); print ok ? "met" : "NOT met" }'
}

failures=0
for size in "${sizes[@]}"; do
    echo
    echo "== generating $size inputs (seed $seed) in bench/data"
    "$build/bench/rp-bench-generate" "$size" "$data" "$seed" >"$scratch/generate"
    head -n 1 "$scratch/generate"
    structs=$(awk '$1 == "structs" { print $2 }' "$scratch/generate")
    solution=$(awk '$1 == "solution" { print $2 }' "$scratch/generate")
    info_file=$(awk '$1 == "info" { print $2 }' "$scratch/generate")
    result=$data/$size-seed$seed.result.txt
    genes=$(info genes)
    decisions=$(info decisions)
    # Bring both inputs into the page cache, so that no row pays for the disk.
    cat "$structs" "$solution" >/dev/null

    echo "== measuring"
    measure "$data" wc -l "$solution"
    wc_ns=$wall_ns wc_kib=$rss_kib wc_out="${last_line%% *} lines"

    measure "$data" "$build/bench/rp-bench-read-solution" "$solution"
    read_ns=$wall_ns read_kib=$rss_kib read_out="$last_line decisions"
    if [ "$last_line" != "$decisions" ]; then
        read_out="$last_line decisions, WRONG (expected $decisions)"
        failures=$((failures + 1))
    fi

    if [ "$size" = large ] && [ "${BENCH_REFERENCE_LARGE:-0}" != 1 ]; then
        ref_ns=skipped ref_kib=skipped ref_out="skipped: needs ~18 GB (BENCH_REFERENCE_LARGE=1 runs it)"
    else
        measure "$data" "$build/bench/rp-bench-ptree-reader" "$solution"
        ref_ns=$wall_ns ref_kib=$rss_kib ref_out="$last_line decisions"
        if [ "$last_line" != "$decisions" ]; then
            ref_out="$last_line decisions, WRONG (expected $decisions)"
            failures=$((failures + 1))
        fi
    fi

    rm -f "$result"
    measure "$data" "$build/resolve-paralogs" -s "$(basename "$structs")" -i "$(basename "$solution")" \
        -o "$(basename "$result")"
    run_ns=$wall_ns run_kib=$rss_kib
    structures=$(info genomes)
    lines=$(wc -l <"$result")
    run_out="exit 0, $lines result lines"
    if [ "$lines" -ne $((structures + 1)) ]; then
        run_out="$run_out, WRONG (expected $((structures + 1)))"
        failures=$((failures + 1))
    fi

    budget_kib=$((65536 + genes * 64 / 1024))
    echo
    echo "resolve-paralogs benchmark, $size: $(info genomes) genomes x $(info genes_per_genome) genes" \
        "= $genes genes, $(info variables) variables, $decisions decisions, seed $seed"
    echo "solution $(mib $(($(info solution_bytes) / 1024))) MiB, structures" \
        "$(mib $(($(info structs_bytes) / 1024))) MiB; $(nproc) cores," \
        "commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
    echo
    printf '%-34s %10s %14s  %s\n' "row" "wall s" "peak RSS MiB" "result"
    printf '%-34s %10s %14s  %s\n' "wc -l solution (floor)" "$(seconds "$wc_ns")" "$(mib "$wc_kib")" "$wc_out"
    printf '%-34s %10s %14s  %s\n' "tool: solution read" "$(seconds "$read_ns")" "$(mib "$read_kib")" "$read_out"
    if [ "$ref_ns" = skipped ]; then
        printf '%-34s %10s %14s  %s\n' "reference reader (ptree)" "-" "-" "$ref_out"
    else
        printf '%-34s %10s %14s  %s\n' "reference reader (ptree)" "$(seconds "$ref_ns")" "$(mib "$ref_kib")" "$ref_out"
    fi
    printf '%-34s %10s %14s  %s\n' "tool: whole run" "$(seconds "$run_ns")" "$(mib "$run_kib")" "$run_out"

    read_vs_wc=$(ratio "$read_ns" "$wc_ns" "%.1fx")
    if [ "$ref_ns" = skipped ]; then
        ref_time=skipped ref_memory=skipped
    else
        ref_time=$(ratio "$ref_ns" "$read_ns" "%.1fx")
        ref_memory=$(ratio "$ref_kib" "$read_kib" "%.1fx")
    fi
    run_budget=$(ratio "$run_kib" "$budget_kib" "%.2f")
    read_budget=$(ratio "$read_kib" 65536 "%.2f")
    echo
    printf '%-42s %9s  %-18s %s\n' "ratio" "value" "target" ""
    printf '%-42s %9s  %-18s %s\n' "tool read / wc -l, time" "$read_vs_wc" "<= 8x on large" \
        "$(verdict "$read_vs_wc" "<=" 8 large)"
    printf '%-42s %9s  %-18s %s\n' "reference / tool read, time" "$ref_time" ">= 50x on medium" \
        "$(verdict "$ref_time" ">=" 50 medium)"
    printf '%-42s %9s  %-18s %s\n' "reference / tool read, peak memory" "$ref_memory" ">= 50x on medium" \
        "$(verdict "$ref_memory" ">=" 50 medium)"
    printf '%-42s %9s  %-18s %s\n' "whole run peak / budget ($(mib "$budget_kib") MiB)" "$run_budget" \
        "<= 1 on large" "$(verdict "$run_budget" "<=" 1 large)"
    printf '%-42s %9s  %-18s %s\n' "tool read peak / 64 MiB" "$read_budget" "<= 1" \
        "$(verdict "$read_budget" "<=" 1 any)"
done

if [ "$failures" -ne 0 ]; then
    echo
    echo "bench: $failures wrong result(s)" >&2
    exit 1
fi
