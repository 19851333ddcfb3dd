#!/usr/bin/env bash
# Benchmark of the user's road for the DCJ-indel distance: `paralogs pair
# --distance dcj --threads T` on the symmetry pair (SINGLES single-copy
# genes and one family of COPIES_A / COPIES_B copies on one circular
# chromosome), the generated related pairs and, with --real, human/mouse
# under each model; for each solver, one run at a time. Prints per run the
# status, distance, lower bound, the solver's CPU seconds and the wall
# seconds, the free z and the program's size (rows, columns, non-zeros).
#
#   bench/dcj_road.sh [--seconds N] [--threads T] [--solvers "cbc highs"] [--cases "sym:40:25:19 1000:4:30 ..."]
#                     [--real] [--models "maximum exemplar intermediate"] [--only-real]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
genomes=${BENCH_GENOMES:-${RP_SHARED_DIR:-$root/../shared}/genomes/human-mouse.txt}
seconds=60
threads=2
solvers="cbc highs"
cases="sym:40:25:19 1000:4:30 1000:40:10 4000:4:10 10000:4:10"
models="maximum"
real=0
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) seconds=$2; shift 2 ;;
        --threads) threads=$2; shift 2 ;;
        --solvers) solvers=$2; shift 2 ;;
        --cases) cases=$2; shift 2 ;;
        --models) models=$2; shift 2 ;;
        --real) real=1; shift ;;
        --only-real) real=1; cases=""; shift ;;
        *) echo "usage: bench/dcj_road.sh [--seconds N] [--threads T] [--solvers LIST] [--cases LIST] [--models LIST] [--real] [--only-real]" >&2; exit 2 ;;
    esac
done
paralogs=$build/paralogs
pairgen=$build/bench/rp-bench-pair
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

inputs=()
for case in $cases; do
    if [[ $case == sym:* ]]; then
        IFS=: read -r _ singles ca cb <<<"$case"
        name="sym-$singles-$ca-$cb"
        "$pairgen" symmetry "$singles" "$ca" "$cb" 1 >"$scratch/$name.txt"
    else
        IFS=: read -r genes linear dup <<<"$case"
        name="g$genes-L$linear-d$dup"
        "$pairgen" "$genes" "$linear" "$dup" 1 >"$scratch/$name.txt"
    fi
    inputs+=("$name:$scratch/$name.txt:maximum")
done
if [ "$real" = 1 ]; then
    for model in $models; do inputs+=("human-mouse:$genomes:$model"); done
fi

column() { awk -F'\t' -v key="$2" 'NR == 1 { for (i = 1; i <= NF; ++i) if ($i == key) k = i } NR == 2 { print (k ? $k : "-") }' "$1"; }

printf '%-16s %-12s %-6s %-8s %8s %9s %8s %8s %8s %9s %9s %10s\n' input model solver status distance bound "cpu s" "wall s" "free z" rows columns nonzeros
for entry in "${inputs[@]}"; do
    IFS=: read -r name file model <<<"$entry"
    for solver in $solvers; do
        dir=$scratch/$name-$model-$solver
        begin=$(date +%s%N)
        /usr/bin/time -f '%U %S' -o "$scratch/time" "$paralogs" pair -s "$file" -d "$dir" --distance dcj --model "$model" \
            --solver "$solver" --threads "$threads" --time-limit "$seconds" >"$scratch/out" 2>"$scratch/err" || true
        end=$(date +%s%N)
        read -r user sys < <(tail -n 1 "$scratch/time")
        wall=$(awk -v ns="$((end - begin))" 'BEGIN { printf "%.1f", ns / 1e9 }')
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f", u + s }')
        summary=$dir/summary.tsv
        size=$(awk '/^Subject To/ { s = 1; next } /^(Bounds|General|Binary|End)/ { s = 0 }
                    s && /^ [^ ]/ { rows++ } s { n += gsub(/[a-zA-Z_][^ ]*/, "&") }
                    END { print rows + 0, n - rows }' "$dir/model.lp" 2>/dev/null || echo "- -")
        columns=$(grep -oE '[0-9]+ variables' "$scratch/err" | head -n 1 | cut -d' ' -f1 || true)
        freez=$(grep -oE '[0-9]+ z free' "$scratch/err" | head -n 1 | cut -d' ' -f1 || true)
        read -r rows nonzeros <<<"$size"
        printf '%-16s %-12s %-6s %-8s %8s %9s %8s %8s %8s %9s %9s %10s\n' "$name" "$model" "$solver" \
            "$(column "$summary" status)" "$(column "$summary" distance)" "$(column "$summary" lower_bound)" \
            "$cpu" "$wall" "${freez:--}" "$rows" "${columns:--}" "$nonzeros"
    done
done
