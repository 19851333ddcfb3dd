#!/usr/bin/env bash
# Benchmark of `paralogs solution`: converts the benchmark's solution from
# CPLEX XML, Gurobi .sol and CBC form (the last two made from the same
# variables by a tiny awk generator), plain and gzip-compressed, and reports
# wall time, CPU time and peak memory beside `wc -l` on the same bytes.
#
#   bench/solution.sh [small|medium|large|all]      (default: medium)
#
# Environment:
#   BUILD           build directory, below the repository unless absolute (build)
#   BENCH_SEED      generator seed (1)
#   BENCH_NO_BUILD  1: do not build first
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

case ${1:-medium} in
    small | medium | large) sizes=("${1:-medium}") ;;
    all) sizes=(small medium large) ;;
    *) echo "usage: bench/solution.sh [small|medium|large|all]" >&2; exit 2 ;;
esac
bench_require_time
bench_build paralogs rp-bench-generate

bench_scratch

# measure COMMAND...: wall/user/sys seconds and peak RSS (KiB) of COMMAND,
# standard output to /dev/null, standard error kept in $scratch/err.
measure() {
    local start end
    start=$(date +%s%N)
    if ! /usr/bin/time -f '%U %S %M' -o "$scratch/time" "$@" >/dev/null 2>"$scratch/err"; then
        echo "bench: failed: $*" >&2
        cat "$scratch/err" >&2
        return 1
    fi
    end=$(date +%s%N)
    wall=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }')
    read -r user sys peak < <(tail -n 1 "$scratch/time")
    cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    mib=$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')
}

# The Gurobi and CBC forms of the CPLEX document's variables.
make_forms() {
    local xml=$1 base=$2 objective
    objective=$(awk -F'"' '/objectiveValue=/ { print $2; exit }' "$xml")
    if [ ! -s "$base.gurobi.sol" ]; then
        awk -F'"' -v obj="$objective" 'BEGIN { print "# Solution for model paralogs"; print "# Objective value = " obj }
            /^  <variable / { print $2 " " $6 }' "$xml" >"$base.gurobi.sol.tmp"
        mv "$base.gurobi.sol.tmp" "$base.gurobi.sol"
    fi
    if [ ! -s "$base.cbc.sol" ]; then
        awk -F'"' -v obj="$objective" 'BEGIN { printf "Optimal - objective value %.8f\n", obj }
            /^  <variable / { printf "%7d %-20s %15s %23s\n", n++, $2, $6, 0 }' "$xml" >"$base.cbc.sol.tmp"
        mv "$base.cbc.sol.tmp" "$base.cbc.sol"
    fi
    for form in solution.xml gurobi.sol cbc.sol; do
        if [ ! -s "$base.$form.gz" ]; then
            gzip -c "$base.$form" >"$base.$form.gz.tmp"
            mv "$base.$form.gz.tmp" "$base.$form.gz"
        fi
    done
}

echo "load average: $(cut -d" " -f1-3 /proc/loadavg) on $(nproc) cores (wall times stretch with the load; CPU times hardly)"
printf '%-8s %-7s %-6s %-34s %9s %8s %9s  %s\n' size form input program wall_s cpu_s peak_MiB check
failures=0
for size in "${sizes[@]}"; do
    "$build/bench/rp-bench-generate" "$size" "$data" "$seed" >"$scratch/generate"
    xml=$(awk '$1 == "solution" { print $2 }' "$scratch/generate")
    case $xml in /*) ;; *) xml=$PWD/$xml ;; esac
    info=$(awk '$1 == "info" { print $2 }' "$scratch/generate")
    case $info in /*) ;; *) info=$PWD/$info ;; esac
    variables=$(awk '$1 == "variables" { print $2 }' "$info")
    decisions=$(awk '$1 == "decisions" { print $2 }' "$info")
    base=${xml%.solution.xml}
    make_forms "$xml" "$base"
    for form in cplex gurobi cbc; do
        case $form in cplex) file=$base.solution.xml ;; *) file=$base.$form.sol ;; esac
        for input in plain gzip; do
            [ $input = plain ] || file=$file.gz
            cat "$file" >/dev/null  # into the page cache
            measure wc -l "$file"
            wc_wall=$wall
            printf '%-8s %-7s %-6s %-34s %9s %8s %9s  %s\n' "$size" $form $input "wc -l" "$wall" "$cpu" "$mib" -
            if [ $input = gzip ]; then
                measure sh -c "gzip -dc '$file' | wc -l"
                wc_wall=$wall
                printf '%-8s %-7s %-6s %-34s %9s %8s %9s  %s\n' "$size" $form $input "gzip -dc | wc -l" "$wall" "$cpu" "$mib" -
            fi
            measure "$build/paralogs" solution -i "$file" -o - --max-input-size none
            summary=$(grep 'variables, ' "$scratch/err" || true)
            check="ok"
            if ! echo "$summary" | grep -q "^paralogs solution: $variables variables, $decisions z variables at 1, "; then
                check="WRONG: $summary (expected $variables variables, $decisions z at 1)"
                failures=$((failures + 1))
            fi
            ratio=$(awk -v a="$wall" -v b="$wc_wall" 'BEGIN { if (b > 0) printf "%.1fx the row above", a / b; else print "n/a" }')
            printf '%-8s %-7s %-6s %-34s %9s %8s %9s  %s\n' "$size" $form $input "paralogs solution -o - (stdout)" \
                "$wall" "$cpu" "$mib" "$check, $ratio"
        done
    done
    measure "$build/paralogs" solution -i "$base.solution.xml" -o "$scratch/out.xml" --max-input-size none
    printf '%-8s %-7s %-6s %-34s %9s %8s %9s  %s\n' "$size" cplex plain "paralogs solution -o FILE (synced)" \
        "$wall" "$cpu" "$mib" "$(du -m "$scratch/out.xml" | cut -f1) MiB written"
    rm -f "$scratch/out.xml"
done
echo
echo "targets: plain text at most 10x wc -l in time; peak at most 64 MiB plus the kept z decisions"
[ $failures -eq 0 ]
