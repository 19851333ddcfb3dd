#!/usr/bin/env bash
# Benchmark of paralogs model --distance dcj, the plain (capped) program and
# the reduced one side by side: on generated related pairs (rp-bench-pair:
# GENES genes, LINEAR linear chromosomes, DUP percent of families with two
# copies) and on the real pair of genomes (../shared/genomes/human-mouse.txt,
# maximum model): each program's size, the time and peak memory to write it,
# and CBC's time to optimality (or its bounds at the time limit), with the
# same limit and threads for both; the reduced program is given its greedy
# start (--start, CBC's mipstart). It reports the speed-up and checks that
# both forms give the same distance wherever both are proven.
#
#   bench/dcj.sh [--seconds N] [--threads T] [--cases "GENES:LINEAR:DUP ..."] [--sizes "1000 4000"]
#                [--forms "plain reduced"] [--models "maximum"] [--no-cbc] [--no-real]
#
# --sizes G1 G2 ... is short for the cases G:4:10. Default cases: 1000:4:10
# 1000:4:30 1000:40:10 4000:4:10 10000:4:10.
#
# Environment:
#   BUILD            build directory, below the repository unless absolute (build)
#   JOBS             build jobs (2)
#   BENCH_NO_BUILD   1: do not build first
#   BENCH_GENOMES    the real structures file (default ../shared/genomes/human-mouse.txt)
set -euo pipefail

usage() {
    echo 'usage: bench/dcj.sh [--seconds N] [--threads T] [--cases "GENES:LINEAR:DUP ..."] [--sizes "1000 4000"] [--forms "plain reduced"] [--models "maximum"] [--no-cbc] [--no-real]' >&2
    exit 2
}

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
genomes=${BENCH_GENOMES:-$shared/genomes/human-mouse.txt}
seconds=300
threads=2
cases="1000:4:10 1000:4:30 1000:40:10 4000:4:10 10000:4:10"
forms="plain reduced"
models="maximum"
run_cbc=1
run_real=1
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) [ $# -ge 2 ] || usage; seconds=$2; shift 2 ;;
        --threads) [ $# -ge 2 ] || usage; threads=$2; shift 2 ;;
        --cases) [ $# -ge 2 ] || usage; cases=$2; shift 2 ;;
        --sizes) [ $# -ge 2 ] || usage; cases=$(for g in $2; do printf '%s:4:10 ' "$g"; done); shift 2 ;;
        --forms) [ $# -ge 2 ] || usage; forms=$2; shift 2 ;;
        --models) [ $# -ge 2 ] || usage; models=$2; shift 2 ;;
        --no-cbc) run_cbc=0; shift ;;
        --no-real) run_real=0; shift ;;
        *) usage ;;
    esac
done

bench_require_time
if [ "$run_cbc" = 1 ] && ! command -v cbc >/dev/null; then
    echo "bench: cbc is not on PATH (Debian package coinor-cbc); measuring the programs only" >&2
    run_cbc=0
fi
bench_build paralogs rp-bench-pair
paralogs=$build/paralogs
pairgen=$build/bench/rp-bench-pair
bench_require "$paralogs" "$pairgen"

bench_scratch
failed=0

inputs=()
for case in $cases; do
    IFS=: read -r genes linear dup <<<"$case"
    name="g$genes-L$linear-d$dup"
    "$pairgen" "$genes" "$linear" "$dup" 1 >"$scratch/$name.txt"
    inputs+=("$name:$scratch/$name.txt")
done
if [ "$run_real" = 1 ]; then
    if [ -r "$genomes" ]; then
        inputs+=("human-mouse:$genomes")
    else
        echo "bench: $genomes is missing; skipping the real pair" >&2
    fi
fi

verdict() { awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l) ? "met" : "NOT met" }'; }

# CBC on LP (with START when given): "STATUS OBJECTIVE BOUND CPU WALL" in $scratch/cbc.result.
run_cbc() {
    local lp=$1 start=$2
    local args=("$lp" sec "$seconds" threads "$threads")
    [ -n "$start" ] && args+=(mipstart "$start")
    local begin end
    begin=$(date +%s%N)
    (cd "$scratch" && cbc "${args[@]}" solve solu cbc.sol >cbc.log 2>&1) || true
    end=$(date +%s%N)
    local status objective bound cpu
    status=$(awk '/^Result - /{ sub(/^Result - /, ""); print; exit }' "$scratch/cbc.log")
    objective=$(awk '/^Objective value:/{ print $3; exit }' "$scratch/cbc.log")
    bound=$(awk '/^Lower bound:/{ print $3; exit }' "$scratch/cbc.log")
    cpu=$(awk '/^Total time \(CPU seconds\):/{ print $5; exit }' "$scratch/cbc.log")
    echo "${status:-none}|${objective:--}|${bound:--}|${cpu:--}|$(awk -v ns="$((end - begin))" 'BEGIN { printf "%.1f", ns / 1e9 }')" \
        >"$scratch/cbc.result"
    rm -f "$scratch/cbc.sol"
}

printf '%-16s %-8s %-8s %8s %9s %9s %10s %12s\n' input model form "time s" "peak MiB" "file MiB" variables constraints
for entry in "${inputs[@]}"; do
    name=${entry%%:*}
    file=${entry#*:}
    for model in $models; do
        declare -A solved=() wall=()
        for form in $forms; do
            lp=$scratch/$name-$model-$form.lp
            startfile=""
            extra=(--form "$form")
            if [ "$form" = reduced ]; then
                startfile=$scratch/$name-$model.start
                extra+=(--start "$startfile")
            fi
            start=$(date +%s%N)
            /usr/bin/time -f '%M %U %S' -o "$scratch/rss" "$paralogs" model -s "$file" -o "$lp" --distance dcj \
                --model "$model" "${extra[@]}" 2>"$scratch/err" || { cat "$scratch/err" >&2; failed=1; continue; }
            end=$(date +%s%N)
            read -r rss_kib user sys <"$scratch/rss"
            summary=$(grep -E '^paralogs model: wrote [^:]*\.lp: ' "$scratch/err")
            variables=$(sed -E 's/.*: ([0-9]+) variables.*/\1/' <<<"$summary")
            constraints=$(sed -E 's/.*, ([0-9]+) constraints.*/\1/' <<<"$summary")
            elapsed=$(awk -v ns="$((end - start))" 'BEGIN { printf "%.3f", ns / 1e9 }')
            peak=$(awk -v k="$rss_kib" 'BEGIN { printf "%.1f", k / 1024 }')
            size=$(awk -v b="$(stat -c %s "$lp")" 'BEGIN { printf "%.2f", b / 1048576 }')
            printf '%-16s %-8s %-8s %8s %9s %9s %10s %12s\n' "$name" "$model" "$form" "$elapsed" "$peak" "$size" \
                "$variables" "$constraints"
            grep -E '^paralogs model: wrote .*: a start of distance' "$scratch/err" | sed 's/^paralogs model: /  /' || true
            longest=$(awk '{ if (length($0) > m) m = length($0) } END { print m + 0 }' "$lp")
            if [ "$longest" -gt 255 ] || [ "$(tail -n 1 "$lp")" != End ]; then
                echo "bench: $name: the written program is not whole (longest line $longest)" >&2
                failed=1
            fi
            if [ "$run_cbc" = 1 ]; then
                run_cbc "$lp" "$startfile"
                IFS='|' read -r status objective bound cpu wallclock <"$scratch/cbc.result"
                echo "  CBC (limit $seconds s, $threads threads): $status; distance $objective, bound $bound; cpu $cpu s, wall $wallclock s"
                [ -n "$startfile" ] && grep -E 'MIPStart values read|found by Reduced search' "$scratch/cbc.log" \
                    | head -n 2 | sed 's/^/    log: /' || true
                if [ "$status" = "Optimal solution found" ]; then
                    solved[$form]=$objective
                    wall[$form]=$cpu
                fi
            fi
            rm -f "$lp"
        done
        if [ -n "${solved[plain]:-}" ] && [ -n "${solved[reduced]:-}" ]; then
            same=$(awk -v a="${solved[plain]}" -v b="${solved[reduced]}" 'BEGIN { print (a == b) ? "same distance" : "DIFFERENT distances" }')
            [ "$same" = "same distance" ] || failed=1
            echo "  plain vs reduced: $same (${solved[plain]}); speed-up $(awk -v a="${wall[plain]}" -v b="${wall[reduced]}" 'BEGIN { printf "%.1f", (b > 0) ? a / b : 0 }')x in CBC cpu time"
        elif [ -n "${solved[reduced]:-}" ]; then
            echo "  reduced proven optimal (${solved[reduced]}); plain not proven within $seconds s"
        fi
        unset solved wall
    done
done
exit "$failed"
