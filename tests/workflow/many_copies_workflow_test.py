#!/usr/bin/env python3
"""The workflow with the real Snakemake and CBC on collections holding a
family of 20 and more copies (tests/paralogs/data/): genomes of 40 single
genes and a family x with 25, 19 and 22 copies, where every pair must be
optimal with its resolved genomes scoring its objective; and one with 45, 20
and 30 copies, where the pair of 45 against 20 leaves 25 copies unmatched,
more than the 19 free indices, and is flagged in the column index_limit
while the run goes on to the distance matrix and the tree.

  many_copies_workflow_test.py --workflow DIR --build DIR --data DIR

Exit 0 passed, 1 failed, 77 skipped (snakemake or cbc missing)."""

import argparse
import csv
import os
import shutil
import subprocess
import sys
import tempfile

# collection file, {pair: index_limit} expected
COLLECTIONS = [
    ("copies_25_19_22.unimog", {"A__B": "", "A__C": "", "B__C": ""}),
    ("copies_45_20.unimog", {"P__Q": "x", "P__R": "", "Q__R": ""}),
]


def run_collection(args, genomes, expected, scratch, check):
    config = os.path.join(scratch, "config.yaml")
    with open(config, "w") as out:
        out.write(f"genomes:\n  - {os.path.join(args.data, genomes)}\n"
                  f"pairs: all\nresults: results\nbuild: {args.build}\ntime_limit: 120\nplot_pairs: []\n")
    env = dict(os.environ, HOME=os.path.join(scratch, "home"), XDG_CACHE_HOME=os.path.join(scratch, "cache"))
    done = subprocess.run(["snakemake", "--snakefile", os.path.join(args.workflow, "Snakefile"), "--directory",
                           scratch, "--cores", "2", "--configfile", config],
                          env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if not check(done.returncode == 0, f"{genomes}: snakemake exited with {done.returncode}"):
        print(done.stdout[-5000:])
        return
    with open(os.path.join(scratch, "results", "summary.tsv"), newline="") as tsv:
        rows = {row["pair"]: row for row in csv.DictReader(tsv, delimiter="\t")}
    check(sorted(rows) == sorted(expected), f"{genomes}: pairs {sorted(rows)}")
    for pair, index_limit in expected.items():
        row = rows.get(pair, {})
        check(row.get("status") == "optimal", f"{genomes}: {pair} is {row.get('status')}: {row.get('note')}")
        check(row.get("score_equals_objective") == "yes", f"{genomes}: {pair}: score {row.get('score')}, "
              f"objective {row.get('objective')}")
        check(row.get("index_limit") == index_limit, f"{genomes}: {pair}: index_limit {row.get('index_limit')!r}")
    for name in ("distances.tsv", "distances.phy", "tree.nwk"):
        check(os.path.getsize(os.path.join(scratch, "results", name)) > 0, f"{genomes}: no {name}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--workflow", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--data", required=True)
    args = parser.parse_args()
    args.workflow, args.build, args.data = (os.path.abspath(p) for p in (args.workflow, args.build, args.data))
    for program in ("snakemake", "cbc"):
        if shutil.which(program) is None:
            print(f"skipped: {program} is not installed (make deps installs it)")
            return 77
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
        return condition

    for genomes, expected in COLLECTIONS:
        scratch = tempfile.mkdtemp(prefix="rp-many-copies-")
        try:
            run_collection(args, genomes, expected, scratch, check)
        finally:
            shutil.rmtree(scratch)
    for failure in failures:
        print(f"FAILED: {failure}")
    if not failures:
        print("passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
