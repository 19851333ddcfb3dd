#!/usr/bin/env bash
# Benchmark of paralogs model on the real pair of genomes (human and mouse,
# ../shared/genomes/human-mouse.txt, see its SOURCES.md): time, peak memory,
# size of the written program and its numbers of variables and constraints,
# for both models; optionally CBC on the maximum program with a time limit.
#
#   bench/model.sh [--cbc]
#
# Environment:
#   BUILD            build directory, below the repository unless absolute (build)
#   JOBS             build jobs (2)
#   BENCH_NO_BUILD   1: do not build first
#   BENCH_GENOMES    the structures file (default ../shared/genomes/human-mouse.txt)
#   BENCH_CBC_SECONDS  CBC's time limit with --cbc (600)
set -euo pipefail

usage() {
    echo "usage: bench/model.sh [--cbc]" >&2
    exit 2
}

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
genomes=${BENCH_GENOMES:-$shared/genomes/human-mouse.txt}
cbc_seconds=${BENCH_CBC_SECONDS:-600}
run_cbc=0
case ${1:-} in
    "") ;;
    --cbc) run_cbc=1 ;;
    *) usage ;;
esac
[ $# -le 1 ] || usage

if [ ! -r "$genomes" ]; then
    echo "bench: $genomes is missing; skipping the model benchmark" >&2
    exit 0
fi
bench_require_time
bench_build paralogs
paralogs=$build/paralogs
bench_require "$paralogs"

bench_scratch
failed=0

# verdict VALUE LIMIT: "met" when VALUE <= LIMIT (decimals allowed).
verdict() { awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l) ? "met" : "NOT met" }'; }

printf '%-9s %8s %10s %10s %10s %12s %12s\n' model "time s" "peak MiB" "file MiB" variables constraints "z variables"
for model in maximum exemplar; do
    lp=$scratch/$model.lp
    best=""
    for _ in 1 2; do
        start=$(date +%s%N)
        /usr/bin/time -f '%M' -o "$scratch/rss" "$paralogs" model -s "$genomes" -o "$lp" --model "$model" \
            2>"$scratch/err"
        end=$(date +%s%N)
        elapsed=$((end - start))
        if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
    done
    rss_kib=$(tail -n 1 "$scratch/rss")
    summary=$(grep -E '^paralogs model: wrote ' "$scratch/err")
    variables=$(sed -E 's/.*: ([0-9]+) variables .*/\1/' <<<"$summary")
    zs=$(sed -E 's/.*\(([0-9]+) z, .*/\1/' <<<"$summary")
    constraints=$(sed -E 's/.*, ([0-9]+) constraints$/\1/' <<<"$summary")
    seconds=$(awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e9 }')
    peak=$(awk -v k="$rss_kib" 'BEGIN { printf "%.1f", k / 1024 }')
    size=$(awk -v b="$(stat -c %s "$lp")" 'BEGIN { printf "%.2f", b / 1048576 }')
    printf '%-9s %8s %10s %10s %10s %12s %12s\n' "$model" "$seconds" "$peak" "$size" "$variables" "$constraints" "$zs"
    # The file must be whole: its Binary section lists every variable.
    listed=$(awk '/^Binary$/ { on = 1; next } /^End$/ { on = 0 } on { n += NF } END { print n + 0 }' "$lp")
    longest=$(awk '{ if (length($0) > m) m = length($0) } END { print m + 0 }' "$lp")
    if [ "$listed" != "$variables" ] || [ "$longest" -gt 255 ] || [ "$(tail -n 1 "$lp")" != End ]; then
        echo "bench: $model: the written program is not whole ($listed of $variables variables listed, longest line $longest)" >&2
        failed=1
    fi
    echo "  time <= 2 s: $(verdict "$seconds" 2); peak <= 1 GiB: $(verdict "$peak" 1024)"
    if [ "$model" = maximum ]; then cp "$lp" "$scratch/cbc.lp"; fi
done

if [ "$run_cbc" = 1 ]; then
    if ! command -v cbc >/dev/null; then
        echo "bench: cbc is not on PATH (Debian package coinor-cbc)" >&2
        exit 1
    fi
    echo "CBC on the maximum program, time limit $cbc_seconds s:"
    start=$(date +%s%N)
    (cd "$scratch" && /usr/bin/time -f '%M' -o rss cbc cbc.lp sec "$cbc_seconds" solve solu cbc.sol >cbc.log 2>&1) || true
    end=$(date +%s%N)
    echo "  wall $(awk -v ns="$((end - start))" 'BEGIN { printf "%.1f", ns / 1e9 }') s, peak $(awk -v k="$(tail -n 1 "$scratch/rss")" 'BEGIN { printf "%.0f", k / 1024 }') MiB"
    grep -E '^(Result|Objective value|Lower bound|Upper bound|Gap|Enumerated nodes|Total time)' "$scratch/cbc.log" | sed 's/^/  /' || true
    [ -f "$scratch/cbc.sol" ] && echo "  solution: $(head -n 1 "$scratch/cbc.sol")"
fi
exit "$failed"
