#!/usr/bin/env bash
# Benchmark of the pipeline (workflow/): the real human/mouse pair of the
# shared genomes with CBC and a 10-minute limit, and generated pairs of 2,000
# genes each with --cores 2. Reports the wall time of every step's sum per
# pair, of the solver per pair, and of the whole set. Figures only.
#
#   bench/workflow.sh [--skip-real] [--pairs N] [--genes N]
#
# Environment:
#   BUILD               build directory, below the repository unless absolute (build)
#   JOBS                build jobs and snakemake --cores (2)
#   BENCH_SEED          generator seed (1)
#   BENCH_REAL_LIMIT    seconds CBC may take on the real pair (600)
#   BENCH_TIME_LIMIT    seconds CBC may take on a generated pair (60)
#   BENCH_NO_BUILD      1: do not build first
#   RP_SHARED_DIR       the shared data (../shared beside the repository)
set -euo pipefail

usage() {
    echo "usage: bench/workflow.sh [--skip-real] [--pairs N] [--genes N]" >&2
    exit 2
}

. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
real=1
pairs=100
genes=2000
while [ $# -gt 0 ]; do
    case $1 in
        --skip-real) real=0 ;;
        --pairs) [ $# -ge 2 ] || usage; pairs=$2; shift ;;
        --genes) [ $# -ge 2 ] || usage; genes=$2; shift ;;
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

data=$root/bench/data/workflow
mkdir -p "$data"
export XDG_CACHE_HOME=${XDG_CACHE_HOME:-$data/cache}

# run NAME SHEET LIMIT: the workflow on SHEET in $data/NAME, fresh; prints the
# whole run's wall time and leaves the summary in $data/NAME/results/.
run() {
    local name=$1 sheet=$2 limit=$3 start end
    rm -rf "${data:?}/$name/results" "$data/$name/.snakemake"
    mkdir -p "$data/$name"
    start=$(date +%s%N)
    snakemake --snakefile "$root/workflow/Snakefile" --directory "$data/$name" \
        --cores "$jobs" --keep-going --quiet \
        --config build="$build" samples="$sheet" solver=cbc time_limit="$limit" \
        >"$data/$name.log" 2>&1 || {
        echo "bench: the workflow failed on $name; see $data/$name.log" >&2
        tail -20 "$data/$name.log" >&2
        exit 1
    }
    end=$(date +%s%N)
    whole_s=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.1f", ns / 1e9 }')
}

# report NAME: one line per pair (the sum of its steps' wall times, the
# solver's, the outcome; shown for up to 10 pairs, all in $data/NAME-pairs.tsv)
# and the figures over the set.
report() {
    python3 - "$data/$1/results" "$data/$1-pairs.tsv" <<'PY'
import csv, glob, os, statistics, sys
results, table = sys.argv[1], sys.argv[2]
with open(os.path.join(results, "summary.tsv"), newline="") as tsv:
    rows = list(csv.DictReader(tsv, delimiter="\t"))
steps_all, solver_all, lines = [], [], []
show = len(rows) <= 10
for row in rows:
    steps = 0.0
    for path in glob.glob(os.path.join(results, row["pair"], "benchmarks", "*.tsv")):
        with open(path, newline="") as bench:
            steps += float(next(csv.DictReader(bench, delimiter="\t"))["s"])
    steps_all.append(steps)
    solver_all.append(float(row["wall_s"]))
    lines.append(f"{row['pair']}\t{row['genes_a']}\t{row['genes_b']}\t{row['matched']}\t"
                 f"{row['breakpoint_distance']}\t{row['status']}\t{row['objective']}\t{row['score']}\t"
                 f"{float(row['wall_s']):.2f}\t{steps:.2f}")
header = "pair\tgenes_a\tgenes_b\tmatched\tdistance\tstatus\tobjective\tscore\tsolver_s\tsteps_s"
with open(table, "w") as out:
    out.write("\n".join([header] + lines) + "\n")
if show:
    print("\n".join([header] + lines))
outcomes = {}
for row in rows:
    outcomes[row["status"]] = outcomes.get(row["status"], 0) + 1
print(f"pairs: {len(rows)}; outcomes: " + ", ".join(f"{k} {v}" for k, v in sorted(outcomes.items())))
if not show:
    for name, values in (("steps per pair", steps_all), ("solver per pair", solver_all)):
        print(f"{name}: min {min(values):.2f} s, median {statistics.median(values):.2f} s, "
              f"max {max(values):.2f} s, sum {sum(values):.1f} s")
    print(f"every pair: {table}")
PY
}

if [ $real = 1 ]; then
    if [ ! -f "$shared/genomes/human-mouse.txt" ]; then
        echo "bench: $shared/genomes/human-mouse.txt is missing; skipping the real pair" >&2
    else
        printf 'pair\tgenomes\ta\tb\nhuman_mouse\t%s\thuman\tmouse\n' \
            "$shared/genomes/human-mouse.txt" >"$data/real.tsv"
        limit=${BENCH_REAL_LIMIT:-600}
        echo "== real pair: human/mouse, CBC, time limit $limit s"
        run real "$data/real.tsv" "$limit"
        report real
        echo "whole run: $whole_s s"
    fi
fi

# Generated pairs: A of $genes genes in 4 chromosomes (one circular), about a
# tenth of the families with 2 or 3 copies; B is A after 20 inversions, 5
# moved segments and a few lost and gained copies. UniMoG with plain markers.
sheet=$data/generated-$pairs-$genes-$seed.tsv
if [ ! -f "$sheet" ]; then
    python3 - "$data/generated-$pairs-$genes-$seed" "$pairs" "$genes" "$seed" "$sheet" <<'PY'
import os, random, sys
folder, pairs, genes, seed, sheet = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
os.makedirs(folder, exist_ok=True)
rng = random.Random(seed)

def genome_a():
    families, labels = 0, []
    while len(labels) < genes:
        families += 1
        copies = 1 if rng.random() < 0.9 else rng.choice((2, 2, 3))
        labels.extend([f"f{families}"] * copies)
    labels = labels[:genes]
    rng.shuffle(labels)
    genes_signed = [(rng.choice((1, -1)), family) for family in labels]
    cuts = sorted(rng.sample(range(1, genes), 3))
    bounds = [0] + cuts + [genes]
    return [[genes_signed[bounds[i]:bounds[i + 1]], i == 3] for i in range(4)]

def genome_b(chromosomes):
    b = [[list(genes), circular] for genes, circular in chromosomes]
    for _ in range(20):
        chromosome = rng.choice(b)[0]
        i, j = sorted(rng.sample(range(len(chromosome) + 1), 2))
        chromosome[i:j] = [(-s, f) for s, f in reversed(chromosome[i:j])]
    for _ in range(5):
        source = rng.choice(b)[0]
        i = rng.randrange(len(source))
        segment = source[i:i + rng.randint(1, 20)]
        del source[i:i + len(segment)]
        target = rng.choice(b)[0]
        k = rng.randint(0, len(target))
        target[k:k] = segment
    for _ in range(10):
        chromosome = rng.choice(b)[0]
        if rng.random() < 0.5 and len(chromosome) > 1:
            del chromosome[rng.randrange(len(chromosome))]
        else:
            gene = rng.choice([gene for genes, _ in b for gene in genes])
            chromosome.insert(rng.randint(0, len(chromosome)), gene)
    return [c for c in b if c[0]]

def unimog(name, chromosomes):
    lines = [f">{name}"]
    for genes, circular in chromosomes:
        lines.append(" ".join(f if s > 0 else f"-{f}" for s, f in genes) + (" )" if circular else " |"))
    return "\n".join(lines) + "\n"

with open(sheet + ".tmp", "w") as out:
    out.write("pair\tgenomes\n")
    for number in range(1, pairs + 1):
        a = genome_a()
        path = os.path.join(folder, f"pair{number:03d}.unimog")
        with open(path, "w") as genomes:
            genomes.write(unimog("A", a) + unimog("B", genome_b(a)))
        out.write(f"pair{number:03d}\t{path}\n")
os.replace(sheet + ".tmp", sheet)
PY
fi
limit=${BENCH_TIME_LIMIT:-60}
echo "== $pairs generated pairs of $genes genes, CBC, time limit $limit s, --cores $jobs"
run generated "$sheet" "$limit"
report generated
echo "whole set: $whole_s s"
