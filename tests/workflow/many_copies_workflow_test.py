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
import functools
import os
import sys

import harness

# collection file, {pair: index_limit} expected
COLLECTIONS = [
    ("copies_25_19_22.unimog", {"A__B": "", "A__C": "", "B__C": ""}),
    ("copies_45_20.unimog", {"P__Q": "x", "P__R": "", "Q__R": ""}),
]


def run_collection(args, genomes, expected, scratch, check):
    os.makedirs(scratch)
    config = os.path.join(scratch, "config.yaml")
    with open(config, "w") as out:
        out.write(f"genomes:\n  - {os.path.join(args.data, genomes)}\n"
                  f"pairs: all\nresults: results\nbuild: {args.build}\ntime_limit: 120\nplot_pairs: []\n")
    done = harness.snakemake(args.workflow, scratch, "--configfile", config)
    if not check.ran(done, genomes):
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


def run_collections(args, scratch, check):
    for number, (genomes, expected) in enumerate(COLLECTIONS):
        run_collection(args, genomes, expected, os.path.join(scratch, str(number)), check)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--data", required=True)
    args = harness.parse(parser)
    args.data = os.path.abspath(args.data)
    return harness.run("rp-many-copies-", functools.partial(run_collections, args),
                       harness.skip_reason(("snakemake", "cbc")))


if __name__ == "__main__":
    sys.exit(main())
