# The opening that every benchmark script shares; sourced, never run:
#   . "$(dirname "${BASH_SOURCE[0]}")/common.sh"
# It sets
#   root     the repository
#   build    the build folder, absolute (BUILD, default build)
#   jobs     parallel build jobs (JOBS, default 2)
#   seed     the generators' seed (BENCH_SEED, default 1)
#   shared   the shared data (RP_SHARED_DIR, default ../shared beside the repository)
#   data     bench/data, where generated inputs are kept
# and gives
#   bench_require_time      ends the script (status 1) when /usr/bin/time is missing
#   bench_build [TARGET...] unless BENCH_NO_BUILD=1: `make build` without
#                           targets, or configures (Release) and builds them
#   bench_require PATH...   ends the script (status 1) naming a program that is missing
#   bench_scratch           a temporary folder in $scratch, removed when the script ends

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
jobs=${JOBS:-2}
seed=${BENCH_SEED:-1}
shared=${RP_SHARED_DIR:-$root/../shared}
data=$root/bench/data

bench_require_time() {
    if [ ! -x /usr/bin/time ]; then
        echo "bench: /usr/bin/time is missing (Debian package time; 'make deps' installs it)" >&2
        exit 1
    fi
}

bench_build() {
    [ "${BENCH_NO_BUILD:-0}" != 1 ] || return 0
    if [ $# -eq 0 ]; then
        make --no-print-directory -C "$root" build BUILD="$build" JOBS="$jobs"
    else
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
        cmake --build "$build" -j "$jobs" --target "$@" >/dev/null
    fi
}

bench_require() {
    local program
    for program in "$@"; do
        [ -x "$program" ] || { echo "bench: $program is missing" >&2; exit 1; }
    done
}

bench_scratch() {
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
}
