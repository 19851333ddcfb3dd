#!/usr/bin/env bash
# Compares, byte for byte, the programs that two builds of `paralogs model`
# write for the same inputs: the examples (examples/structs.txt,
# workflow/example/*.unimog, every genome B of a collection), generated pairs
# (rp-bench-pair), and the human-mouse pair of ../shared/genomes when it is
# there; both distances, the plain and the reduced DCJ-indel form (with its
# CBC start), every model and a bounds file. Each program is written by both
# binaries from the same directory name and the same command line, so the
# comment lines the programs carry must agree as well.
#
#   bench/compare_programs.sh OLD NEW
#
# Environment:
#   RP_BENCH_PAIR   the pair generator (default: rp-bench-pair beside NEW)
#   RP_SHARED_DIR   the shared data (default: ../shared beside the repository)
#   COMPARE_LARGE   0: leave out human-mouse (default 1)
#
# Prints one line per difference and "compared N programs and S start files
# (R runs refused alike), D differ"; exits
# 1 when any differs or a binary fails where the other does not.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: bench/compare_programs.sh OLD NEW" >&2; exit 2; }
old=$(realpath "$1")
new=$(realpath "$2")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shared=${RP_SHARED_DIR:-$root/../shared}
generator=${RP_BENCH_PAIR:-$(dirname "$new")/bench/rp-bench-pair}
[ -x "$generator" ] || generator=$(dirname "$new")/rp-bench-pair

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/old" "$work/new"
compared=0
starts=0
refused=0
differ=0

# run WHICH BINARY ARGS...: the exit status, output in $work/WHICH.
run() {
    local which=$1 binary=$2
    shift 2
    rm -f "$work/$which"/*
    local status=0
    (cd "$work/$which" && "$binary" model "$@" >/dev/null 2>"$work/$which.err") || status=$?
    echo "$status" >"$work/$which.rc"
}

# check ARGS...: both binaries with -o model.lp ARGS; compares every file written.
check() {
    run old "$old" -o model.lp "$@"
    run new "$new" -o model.lp "$@"
    if ! cmp -s "$work/old.rc" "$work/new.rc" || ! cmp -s "$work/old.err" "$work/new.err"; then
        echo "DIFFER (exit status or messages): $*"
        differ=$((differ + 1))
    fi
    if [ "$(cat "$work/old.rc")" != 0 ]; then
        refused=$((refused + 1))
        [ -z "${COMPARE_VERBOSE:-}" ] || echo "refused: $* ($(tail -n 1 "$work/old.err"))"
    fi
    for file in "$work/old"/*; do
        [ -e "$file" ] || continue
        case $file in *.lp) compared=$((compared + 1)) ;; *) starts=$((starts + 1)) ;; esac
        if ! cmp -s "$file" "$work/new/$(basename "$file")"; then
            echo "DIFFER $(basename "$file"): $*"
            differ=$((differ + 1))
        fi
    done
}

# every_model INPUT EXTRA...: both distances, both DCJ forms, every model and the bounds file.
every_model() {
    local input=$1
    shift
    for model in maximum exemplar intermediate; do
        check -s "$input" --model "$model" "$@"
        check -s "$input" --model "$model" --distance dcj --form plain "$@"
        check -s "$input" --model "$model" --distance dcj --start start.sol "$@"
    done
    # Bounds over the first three families in both genomes (their z names):
    # one pair, zero or one, one pair.
    grep -v '^\\' "$work/old/model.lp" | grep -o 'z_[^ .]*' | sort -u | head -3 | sed 's/^z_//' |
        awk 'BEGIN { OFS = "\t" } { print $1, (NR == 2 ? 0 : 1), 1 }' >"$work/in/bounds.tsv"
    check -s "$input" --model intermediate --bounds "$work/in/bounds.tsv" "$@"
    check -s "$input" --model exemplar --bounds "$work/in/bounds.tsv" --distance dcj --form plain "$@"
    check -s "$input" --model maximum --bounds "$work/in/bounds.tsv" --distance dcj --start start.sol "$@"
}

every_model "$root/examples/structs.txt"
for unimog in "$root"/workflow/example/*.unimog; do
    genomes=$(grep -c '^>' "$unimog")
    for second in $(seq 2 "$genomes"); do every_model "$unimog" --second "$second"; done
done
if [ -x "$generator" ]; then
    for shape in "30 1 20 1" "60 2 30 2" "200 3 25 3" "500 4 10 4" "120 1 60 5" "80 0 40 6"; do
        # shellcheck disable=SC2086
        "$generator" $shape >"$work/in/pair-${shape// /-}.txt"
        every_model "$work/in/pair-${shape// /-}.txt"
    done
else
    echo "compare: no pair generator at $generator; generated pairs left out" >&2
fi
large=$shared/genomes/human-mouse.txt
if [ "${COMPARE_LARGE:-1}" != 0 ] && [ -r "$large" ]; then
    check -s "$large"
    check -s "$large" --distance dcj --form plain
    check -s "$large" --distance dcj --start start.sol
elif [ "${COMPARE_LARGE:-1}" != 0 ]; then
    echo "compare: $large is missing; human-mouse left out" >&2
fi
echo "compared $compared programs and $starts start files ($refused runs refused alike), $differ differ"
[ "$differ" -eq 0 ]
