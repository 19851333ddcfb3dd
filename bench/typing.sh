#!/usr/bin/env bash
# Benchmark of a typing (workflow, pairs: related): a generated collection of
# plasmid-like genomes in communities (tests/workflow/generate_collection.py),
# DCJ-indel distance, CBC, snakemake --cores JOBS. Reports the time of
# `paralogs related` and the pairs it keeps, the whole typing's wall time and
# that of its pairs (the sum of their wall_s), pairs per hour, the share of
# wall time that is not the pairs' own work, the second run after more
# genomes are added, and `paralogs related` on a collection ten times larger.
# Figures only.
#
#   bench/typing.sh [--genomes N] [--communities C] [--markers M] [--added A] [--large L]
#
# Environment:
#   BUILD               build directory, below the repository unless absolute (build)
#   JOBS                build jobs and snakemake --cores (2)
#   BENCH_SEED          generator seed (1)
#   BENCH_TIME_LIMIT    seconds CBC may take on a pair (60)
#   BENCH_NO_BUILD      1: do not build first
set -euo pipefail

usage() {
    echo "usage: bench/typing.sh [--genomes N] [--communities C] [--markers M] [--added A] [--large L]" >&2
    exit 2
}

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-build}
case $build in /*) ;; *) build=$root/$build ;; esac
jobs=${JOBS:-2}
seed=${BENCH_SEED:-1}
limit=${BENCH_TIME_LIMIT:-60}
genomes=1000
communities=20
markers=150
added=100
large=10000
while [ $# -gt 0 ]; do
    case $1 in
        --genomes) [ $# -ge 2 ] || usage; genomes=$2; shift ;;
        --communities) [ $# -ge 2 ] || usage; communities=$2; shift ;;
        --markers) [ $# -ge 2 ] || usage; markers=$2; shift ;;
        --added) [ $# -ge 2 ] || usage; added=$2; shift ;;
        --large) [ $# -ge 2 ] || usage; large=$2; shift ;;
        *) usage ;;
    esac
    shift
done
members=$((genomes / communities))
[ "$members" -ge 2 ] || { echo "bench: fewer than two genomes a community" >&2; exit 2; }

for program in snakemake cbc python3; do
    if ! command -v $program >/dev/null; then
        echo "bench: $program is missing ('make deps' installs it)" >&2
        exit 1
    fi
done
if [ "${BENCH_NO_BUILD:-0}" != 1 ]; then
    make --no-print-directory -C "$root" build BUILD="$build" JOBS="$jobs"
fi

data=$root/bench/data/typing
rm -rf "$data"
mkdir -p "$data"
export XDG_CACHE_HOME=${XDG_CACHE_HOME:-$data/cache}
generator=$root/tests/workflow/generate_collection.py
# Snakemake's own Python runs the workflow's scripts; the generator needs none
python=$(head -1 "$(command -v snakemake)" | sed 's/^#! *//')

now() { date +%s.%N; }
seconds() { python3 -c "print(f'{$2 - $1:.1f}')"; }

"$python" "$generator" --communities "$communities" --members "$members" --markers "$markers" \
    --seed "$seed" -o "$data/first.unimog" --truth "$data/first.truth.tsv"
added_communities=$(( (added + members - 1) / members ))
"$python" "$generator" --communities "$added_communities" --members "$members" --markers "$markers" \
    --seed "$seed" --first-community $((communities + 1)) -o "$data/added.unimog" --truth "$data/added.truth.tsv"

start=$(now)
"$build/paralogs" related -s "$data/first.unimog" -o "$data/related.tsv"
related_s=$(seconds "$start" "$(now)")
kept=$(($(wc -l < "$data/related.tsv") - 1))

# typing NAME FILES...: the workflow over the files in $data/run, its log
# $data/NAME.log; prints its wall time
typing() {
    local start name=$1
    shift
    {
        echo "genomes:"
        for file in "$@"; do echo "  - $file"; done
        echo "pairs: related"
        echo "distance: dcj"
        echo "time_limit: $limit"
        echo "batch_size: 200"
        echo "keep: failed"
        echo "results: results"
        echo "build: $build"
    } > "$data/config.yaml"
    start=$(now)
    snakemake --snakefile "$root/workflow/Snakefile" --directory "$data/run" --cores "$jobs" \
        --configfile "$data/config.yaml" > "$data/$name.log" 2>&1 || { tail -30 "$data/$name.log" >&2; exit 1; }
    seconds "$start" "$(now)"
}

mkdir -p "$data/run"
first_s=$(typing first "$data/first.unimog")
cp "$data/run/results/summary.tsv" "$data/first.summary.tsv"
second_s=$(typing added "$data/first.unimog" "$data/added.unimog")

start=$(now)
"$python" "$generator" --communities $((large / members)) --members "$members" --markers "$markers" \
    --seed "$seed" -o "$data/large.unimog" --truth "$data/large.truth.tsv" 2>/dev/null
start=$(now)
"$build/paralogs" related -s "$data/large.unimog" -o "$data/large.related.tsv"
large_s=$(seconds "$start" "$(now)")
large_kept=$(($(wc -l < "$data/large.related.tsv") - 1))

"$python" - "$data" "$first_s" "$second_s" "$jobs" <<'EOF'
import csv, sys, os, re, datetime
data, first, second, jobs = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])


def batch_seconds(log):
    """The sum of the batch jobs' durations in a Snakemake log (to the second)."""
    start, end, moment, rule = {}, {}, None, None
    for line in open(log):
        stamp = re.match(r"\[(\w{3} \w{3} +\d+ [\d:]+ \d{4})\]", line)
        if stamp:
            moment = datetime.datetime.strptime(stamp.group(1), "%a %b %d %H:%M:%S %Y")
        elif re.match(r"(local)?rule (\w+):", line):
            rule = re.match(r"(local)?rule (\w+):", line).group(2)
        elif line.strip().startswith("jobid:") and rule == "typing_batch":
            start[line.split()[1]] = moment
        elif line.startswith("Finished job "):
            end[line.split()[2].rstrip(".")] = moment
    return sum((end[job] - start[job]).total_seconds() for job in start if job in end), len(start)


batches, count = batch_seconds(os.path.join(data, "first.log"))
rows = list(csv.DictReader(open(os.path.join(data, "first.summary.tsv")), delimiter="\t"))
completion = os.path.join(data, "run", "results", "typing", "completion.summary.tsv")
own = sum(float(row.get("wall_s") or 0) for row in rows)
status = {}
for row in rows:
    status[row["status"]] = status.get(row["status"], 0) + 1
print(f"pairs_computed_first\t{len(rows)}")
print(f"pairs_status_first\t{' '.join(f'{k}={v}' for k, v in sorted(status.items()))}")
print(f"pairs_wall_s_sum\t{own:.1f}")
print(f"batch_jobs_first\t{count}")
print(f"batch_jobs_s_sum\t{batches:.0f}")
print(f"pairs_per_hour\t{len(rows) / first * 3600:.0f}")
print(f"share_not_batches\t{max(0.0, 1 - batches / (jobs * first)):.3f}")
print(f"share_not_pairs_wall_s\t{max(0.0, 1 - own / (jobs * first)):.3f}")
print(f"second_over_first\t{second / first:.3f}")
EOF
printf 'genomes\t%s\ncommunities\t%s\nmarkers\t%s\nrelated_s\t%s\npairs_kept\t%s\n' \
    "$genomes" "$communities" "$markers" "$related_s" "$kept"
printf 'typing_first_s\t%s\ntyping_added_s\t%s\nadded_genomes\t%s\n' "$first_s" "$second_s" "$((added_communities * members))"
printf 'large_genomes\t%s\nlarge_related_s\t%s\nlarge_pairs_kept\t%s\n' "$large" "$large_s" "$large_kept"
