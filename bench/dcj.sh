#!/usr/bin/env bash
# Benchmark of paralogs model --distance dcj: on generated related pairs of
# 1,000, 4,000 and 10,000 genes per genome (10% of families with two copies,
# 4 linear chromosomes; rp-bench-pair) and on the real pair of genomes
# (../shared/genomes/human-mouse.txt): the program's size (variables,
# constraints, bytes), the time and peak memory to write it, and CBC's time
# to optimality (or its bounds at the time limit) on the maximum program.
#
#   bench/dcj.sh [--seconds N] [--sizes "1000 4000 10000"] [--models "maximum"] [--no-cbc] [--no-real]
#
# Environment:
#   BUILD            build directory, below the repository unless absolute (build)
#   JOBS             build jobs (2)
#   BENCH_NO_BUILD   1: do not build first
#   BENCH_GENOMES    the real structures file (default ../shared/genomes/human-mouse.txt)
set -euo pipefail

usage() {
    echo 'usage: bench/dcj.sh [--seconds N] [--sizes "1000 4000 10000"] [--models "maximum"] [--no-cbc] [--no-real]' >&2
    exit 2
}

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
jobs=${JOBS:-2}
genomes=${BENCH_GENOMES:-$root/../shared/genomes/human-mouse.txt}
seconds=300
sizes="1000 4000 10000"
models="maximum"
run_cbc=1
run_real=1
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) [ $# -ge 2 ] || usage; seconds=$2; shift 2 ;;
        --sizes) [ $# -ge 2 ] || usage; sizes=$2; shift 2 ;;
        --models) [ $# -ge 2 ] || usage; models=$2; shift 2 ;;
        --no-cbc) run_cbc=0; shift ;;
        --no-real) run_real=0; shift ;;
        *) usage ;;
    esac
done

if [ ! -x /usr/bin/time ]; then
    echo "bench: /usr/bin/time is missing (Debian package time; 'make deps' installs it)" >&2
    exit 1
fi
if [ "$run_cbc" = 1 ] && ! command -v cbc >/dev/null; then
    echo "bench: cbc is not on PATH (Debian package coinor-cbc); measuring the programs only" >&2
    run_cbc=0
fi
if [ "${BENCH_NO_BUILD:-0}" != 1 ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j "$jobs" --target paralogs rp-bench-pair >/dev/null
fi
paralogs=$build/paralogs
pairgen=$build/bench/rp-bench-pair
[ -x "$paralogs" ] || { echo "bench: $paralogs is missing" >&2; exit 1; }
[ -x "$pairgen" ] || { echo "bench: $pairgen is missing" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

inputs=()
for genes in $sizes; do
    "$pairgen" "$genes" 4 10 1 >"$scratch/pair-$genes.txt"
    inputs+=("pair-$genes:$scratch/pair-$genes.txt")
done
if [ "$run_real" = 1 ]; then
    if [ -r "$genomes" ]; then
        inputs+=("human-mouse:$genomes")
    else
        echo "bench: $genomes is missing; skipping the real pair" >&2
    fi
fi

verdict() { awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l) ? "met" : "NOT met" }'; }

printf '%-12s %-12s %8s %9s %9s %10s %12s\n' input model "time s" "peak MiB" "file MiB" variables constraints
for entry in "${inputs[@]}"; do
    name=${entry%%:*}
    file=${entry#*:}
    for model in $models; do
        lp=$scratch/$name-$model.lp
        start=$(date +%s%N)
        /usr/bin/time -f '%M %U %S' -o "$scratch/rss" "$paralogs" model -s "$file" -o "$lp" --distance dcj \
            --model "$model" 2>"$scratch/err" || { cat "$scratch/err" >&2; failed=1; continue; }
        end=$(date +%s%N)
        read -r rss_kib user sys <"$scratch/rss"
        summary=$(grep -E '^paralogs model: wrote ' "$scratch/err")
        variables=$(sed -E 's/.*: ([0-9]+) variables .*/\1/' <<<"$summary")
        constraints=$(sed -E 's/.*, ([0-9]+) constraints$/\1/' <<<"$summary")
        elapsed=$(awk -v ns="$((end - start))" 'BEGIN { printf "%.3f", ns / 1e9 }')
        peak=$(awk -v k="$rss_kib" 'BEGIN { printf "%.1f", k / 1024 }')
        size=$(awk -v b="$(stat -c %s "$lp")" 'BEGIN { printf "%.2f", b / 1048576 }')
        printf '%-12s %-12s %8s %9s %9s %10s %12s\n' "$name" "$model" "$elapsed" "$peak" "$size" "$variables" "$constraints"
        echo "  cpu ${user} s user + ${sys} s system; time <= 2 s: $(verdict "$elapsed" 2); peak <= 1 GiB: $(verdict "$peak" 1024)"
        longest=$(awk '{ if (length($0) > m) m = length($0) } END { print m + 0 }' "$lp")
        if [ "$longest" -gt 255 ] || [ "$(tail -n 1 "$lp")" != End ]; then
            echo "bench: $name: the written program is not whole (longest line $longest)" >&2
            failed=1
        fi
        if [ "$run_cbc" = 1 ] && [ "$model" = "$(set -- $models; echo "$1")" ]; then
            start=$(date +%s%N)
            (cd "$scratch" && /usr/bin/time -f '%M' -o cbc.rss cbc "$lp" sec "$seconds" solve solu cbc.sol >cbc.log 2>&1) || true
            end=$(date +%s%N)
            echo "  CBC (limit $seconds s): wall $(awk -v ns="$((end - start))" 'BEGIN { printf "%.1f", ns / 1e9 }') s, peak $(awk -v k="$(tail -n 1 "$scratch/cbc.rss")" 'BEGIN { printf "%.0f", k / 1024 }') MiB"
            grep -E '^(Result|Objective value|Lower bound|Gap|Enumerated nodes|Total time)' "$scratch/cbc.log" | sed 's/^/    /' || true
            [ -f "$scratch/cbc.sol" ] && echo "    solution: $(head -n 1 "$scratch/cbc.sol")"
            rm -f "$scratch/cbc.sol"
        fi
        rm -f "$lp"
    done
done
exit "$failed"
