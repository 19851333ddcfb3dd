#!/usr/bin/env bash
# Benchmark of the workflow over a collection: every pair of a generated
# collection (tests/workflow/evolve.py) with CBC and --cores 2, in batch
# jobs of `paralogs pair`; then the same with one pair per job for
# comparison; then human/mouse and shuffled copies of them as a small
# collection of large genomes. Figures only.
#
#   bench/many.sh [--genomes N] [--genes G] [--events E] [--batch B] [--skip-single] [--skip-real]
#
# Defaults: 30 genomes of 2,000 genes (435 pairs), 20 events per branch,
# batch_size 20. For a quick run: --genomes 6 --genes 300.
#
# Per run it prints the pairs, their outcomes, the wall time, pairs per hour,
# the pairs' own work (the sum of each `paralogs pair`'s wall time, from the
# batches' times files) and the share of the wall time that is not the pairs'
# own work: 1 - work / (cores x wall). Its data and runs stay in
# bench/data/many/.
#
# Environment:
#   BUILD               build directory, below the repository unless absolute (build)
#   JOBS                build jobs and snakemake --cores (2)
#   BENCH_SEED          generator seed (1)
#   BENCH_TIME_LIMIT    seconds CBC may take on a generated pair (60)
#   BENCH_REAL_LIMIT    seconds CBC may take on a pair of large genomes (600)
#   BENCH_NO_BUILD      1: do not build first
#   BENCH_SCHEDULER     snakemake --scheduler (ilp or greedy; default Snakemake's)
#   RP_SHARED_DIR       the shared data (../shared beside the repository)
set -euo pipefail

usage() {
    echo "usage: bench/many.sh [--genomes N] [--genes G] [--events E] [--batch B] [--skip-single] [--skip-real]" >&2
    exit 2
}

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
genomes=30
genes=2000
events=20
batch=20
single=1
real=1
while [ $# -gt 0 ]; do
    case $1 in
        --genomes) [ $# -ge 2 ] || usage; genomes=$2; shift ;;
        --genes) [ $# -ge 2 ] || usage; genes=$2; shift ;;
        --events) [ $# -ge 2 ] || usage; events=$2; shift ;;
        --batch) [ $# -ge 2 ] || usage; batch=$2; shift ;;
        --skip-single) single=0 ;;
        --skip-real) real=0 ;;
        *) usage ;;
    esac
    shift
done

for program in snakemake cbc python3; do
    if ! command -v $program >/dev/null; then
        echo "bench: $program is missing ('make deps' installs it)" >&2
        exit 1
    fi
done
bench_build

data=$root/bench/data/many
mkdir -p "$data"
export XDG_CACHE_HOME=${XDG_CACHE_HOME:-$data/cache}

# run NAME GENOMES BATCH LIMIT: every pair of the genomes file GENOMES in
# $data/NAME, fresh, and its figures.
run() {
    local name=$1 collection=$2 size=$3 limit=$4 start end
    rm -rf "${data:?}/$name"
    mkdir -p "$data/$name"
    start=$(date +%s%N)
    snakemake --snakefile "$root/workflow/Snakefile" --directory "$data/$name" \
        --cores "$jobs" --quiet ${BENCH_SCHEDULER:+--scheduler "$BENCH_SCHEDULER"} \
        --config build="$build" genomes="$collection" pairs=all solver=cbc time_limit="$limit" \
        batch_size="$size" plot_pairs=false \
        >"$data/$name.log" 2>&1 || {
        echo "bench: the workflow failed on $name; see $data/$name.log" >&2
        tail -20 "$data/$name.log" >&2
        exit 1
    }
    end=$(date +%s%N)
    python3 - "$data/$name/results" "$(( end - start ))" "$jobs" <<'PY'
import csv, glob, os, sys
results, wall, cores = sys.argv[1], int(sys.argv[2]) / 1e9, int(sys.argv[3])
with open(os.path.join(results, "summary.tsv"), newline="") as tsv:
    rows = list(csv.DictReader(tsv, delimiter="\t"))
work = 0.0
for path in glob.glob(os.path.join(results, "batches", "*.times.tsv")):
    with open(path, newline="") as times:
        work += sum(float(row["seconds"]) for row in csv.DictReader(times, delimiter="\t"))
solver = sum(float(row["wall_s"] or 0) for row in rows)
outcomes = {}
for row in rows:
    outcomes[row["status"]] = outcomes.get(row["status"], 0) + 1
batches = len(glob.glob(os.path.join(results, "batches", "*.times.tsv")))
print(f"pairs: {len(rows)} in {batches} jobs; outcomes: " + ", ".join(f"{k} {v}" for k, v in sorted(outcomes.items())))
print(f"wall: {wall:.1f} s; pairs per hour: {len(rows) / wall * 3600:.0f}")
print(f"pairs' own work: {work:.1f} s (solvers {solver:.1f} s); not the pairs' own work: "
      f"{max(0.0, 1 - work / (cores * wall)) * 100:.1f}% of {cores} x wall (target under 10%)")
PY
}

collection=$data/collection-$genomes-$genes-$events-$seed.unimog
if [ ! -f "$collection" ]; then
    python3 "$root/tests/workflow/evolve.py" --genomes "$genomes" --genes "$genes" --events "$events" \
        --seed "$seed" -o "$collection" --tree "${collection%.unimog}.true.nwk"
fi
limit=${BENCH_TIME_LIMIT:-60}
pairs=$(( genomes * (genomes - 1) / 2 ))
echo "== $genomes generated genomes of $genes genes ($pairs pairs), CBC, limit $limit s, batch_size $batch, --cores $jobs"
run batched "$collection" "$batch" "$limit"
if [ $single = 1 ]; then
    echo "== the same, batch_size 1"
    run single "$collection" 1 "$limit"
fi

if [ $real = 1 ]; then
    if [ ! -f "$shared/genomes/human-mouse.txt" ]; then
        echo "bench: $shared/genomes/human-mouse.txt is missing; skipping the large genomes" >&2
        exit 0
    fi
    large=$data/human-mouse-shuffled-$seed.unimog
    if [ ! -f "$large" ]; then
        # human, mouse and a copy of each after 50 random inversions
        python3 - "$root/workflow/scripts" "$build/paralogs" "$shared/genomes/human-mouse.txt" "$large" "$seed" <<'PY'
import os, random, sys
sys.path.insert(0, sys.argv[1])
import collection
paralogs, source, target, seed = sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5])
rng = random.Random(seed)
genomes = collection.read_genomes(paralogs, source)
out = []
for name, text in genomes:
    out.append(f">{name}\n{text}")
for name, text in genomes:
    lines = [line.split() for line in text.splitlines()]
    for _ in range(50):
        line = rng.choice([line for line in lines if len(line) > 2])
        i, j = sorted(rng.sample(range(len(line) - 1), 2))
        line[i:j] = [m[1:] if m.startswith("-") else "-" + m for m in reversed(line[i:j])]
    out.append(f">{name}_shuffled\n" + "\n".join(" ".join(line) for line in lines) + "\n")
with open(target + ".tmp", "w") as file:
    file.write("".join(out))
os.replace(target + ".tmp", target)
PY
    fi
    limit=${BENCH_REAL_LIMIT:-600}
    echo "== human, mouse and shuffled copies (6 pairs of large genomes), CBC, limit $limit s, one pair per job"
    run large "$large" 1 "$limit"
fi
