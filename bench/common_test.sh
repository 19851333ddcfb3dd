#!/usr/bin/env bash
# The benchmarks' shared opening (bench/common.sh), sourced as the scripts do
# from a copy of the bench folder: the folders it sets from the environment,
# the build it skips, and the programs and tools it requires.
#   bench/common_test.sh
# Prints "N passed, N failed"; exit 1 when a check fails.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/repo/bench"
cp "$here/common.sh" "$scratch/repo/bench/"
passed=0
failed=0

# check NAME EXPECTED ACTUAL
check() {
    if [ "$2" = "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $1: expected '$2', got '$3'"
    fi
}

# The values a script sees after sourcing, with the given environment.
opening() {
    env -i PATH="$PATH" "$@" bash -c '. "$0/bench/common.sh"; echo "$root|$build|$jobs|$seed|$shared|$data"' "$scratch/repo"
}

repo=$scratch/repo
check defaults "$repo|$repo/build|2|1|$repo/../shared|$repo/bench/data" "$(opening)"
check "relative BUILD, JOBS, BENCH_SEED" "$repo|$repo/b2|1|7|$repo/../shared|$repo/bench/data" \
    "$(opening BUILD=b2 JOBS=1 BENCH_SEED=7)"
check "absolute BUILD, RP_SHARED_DIR" "$repo|/tmp/b|2|1|/data/shared|$repo/bench/data" \
    "$(opening BUILD=/tmp/b RP_SHARED_DIR=/data/shared)"

# make and cmake stand-ins that write down how they were called.
mkdir -p "$scratch/bin"
for tool in make cmake; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$scratch" >"$scratch/bin/$tool"
    chmod +x "$scratch/bin/$tool"
done
build_calls() {
    rm -f "$scratch/calls"
    env PATH="$scratch/bin:$PATH" "$@" bash -c '. "$0/bench/common.sh"; shift; bench_build "$@"' "$repo" -- \
        ${targets:-}
    cat "$scratch/calls" 2>/dev/null
}
check "BENCH_NO_BUILD=1 builds nothing" "" "$(targets="paralogs" build_calls BENCH_NO_BUILD=1)"
check "targets are configured and built" "cmake -S $repo -B $repo/build -DCMAKE_BUILD_TYPE=Release
cmake --build $repo/build -j 2 --target paralogs rp-bench-pair" "$(targets="paralogs rp-bench-pair" build_calls)"
check "no targets: make build" "make --no-print-directory -C $repo build BUILD=$repo/build JOBS=2" "$(build_calls)"

# A missing program ends the script with status 1 and its name.
touch "$scratch/present" && chmod +x "$scratch/present"
out=$(bash -c '. "$0/bench/common.sh"; bench_require "$1" "$2"; echo reached' "$repo" "$scratch/present" \
    "$scratch/absent" 2>&1)
check "missing program: status" "1" "$?"
check "missing program: message" "bench: $scratch/absent is missing" "$out"
out=$(bash -c '. "$0/bench/common.sh"; bench_require "$1"; echo reached' "$repo" "$scratch/present" 2>&1)
check "present program" "reached" "$out"

# The scratch folder is there while the script runs and gone after it.
kept=$(bash -c '. "$0/bench/common.sh"; bench_scratch; [ -d "$scratch" ] && echo "$scratch"' "$repo")
check "scratch made" "yes" "$([ -n "$kept" ] && echo yes)"
check "scratch removed" "no" "$([ -e "$kept" ] && echo yes || echo no)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
