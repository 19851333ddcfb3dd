#!/usr/bin/env python3
"""One batch job of the workflow: `paralogs pair` for each pair of a batch
(its lines in the list of pairs) in turn, each in RESULTS/pairs/PAIR/, and the pairs' summary lines in
the list's order. A pair that fails is a line with status `failed` and its
reason in `note`; the batch itself fails only when it cannot write.

  batch.py --paralogs PROGRAM --list PAIRS.tsv --batch N --pairs-dir DIR
           [--collection GENOMES.unimog --collection-failed FAILED.tsv]
           -o BATCH.tsv --times BATCH.times.tsv -- PAIR OPTIONS...

PAIR OPTIONS go to every `paralogs pair` (--distance, --model, --solver, ...)."""

import argparse
import csv
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import collection  # noqa: E402

COLUMNS = ["pair", "a", "b", "genes_a", "genes_b", "families_both", "matched", "adjacencies",
           "telomeres", "breakpoint_distance", "solver", "status", "solver_status", "objective",
           "score", "wall_s", "score_equals_objective", "measure", "model", "distance",
           "lower_bound", "note", "index_limit"]


def failed_row(pair, a, b, reason, genes_a="", genes_b=""):
    row = {column: "" for column in COLUMNS}
    row.update(pair=pair, a=a, b=b, genes_a=genes_a, genes_b=genes_b, status="failed",
               note=" ".join(str(reason).split()))
    return row


def read_summary(path, pair):
    """The one line of a pair's summary.tsv, checked against the columns."""
    with open(path, newline="") as table:
        reader = csv.DictReader(table, delimiter="\t")
        rows = list(reader)
    if reader.fieldnames != COLUMNS or len(rows) != 1:
        raise collection.Failure(f"{path}: not one summary line with the pair's columns")
    if rows[0]["pair"] != pair:
        raise collection.Failure(f"{path}: the line is of pair {rows[0]['pair']}, not {pair}")
    return rows[0]


class Sources:
    """The genomes behind the pairs: the collection's (read once) and those of
    sheet files (read when a pair names no genomes)."""

    def __init__(self, paralogs, unimog, failed):
        self.paralogs = paralogs
        self.genomes, self.failures, self.files = {}, {}, {}
        if unimog:
            with open(unimog) as text:
                self.genomes = dict(collection.parse_unimog(text.read(), unimog))
        if failed:
            with open(failed, newline="") as table:
                self.failures = {row["genome"]: row["reason"]
                                 for row in csv.DictReader(table, delimiter="\t")}

    def from_collection(self, a, b):
        """The pair's UniMoG text; Failure naming a genome that cannot be read."""
        for name in (a, b):
            if name not in self.genomes:
                reason = self.failures.get(name, "not in the collection")
                raise collection.Failure(f"genome {name}: {reason}")
        return "".join(f">{name}\n{self.genomes[name]}" for name in (a, b))

    def first_two(self, path):
        if path not in self.files:
            try:
                self.files[path] = [name for name, _ in collection.read_genomes(self.paralogs, path)]
            except (collection.Failure, OSError) as failure:
                self.files[path] = failure
        names = self.files[path]
        if isinstance(names, Exception):
            raise collection.Failure(str(names))
        if len(names) < 2:
            raise collection.Failure(f"{path}: holds {len(names)} genome(s), a pair needs two")
        return names[0], names[1]


def run_pair(args, sources, pair, a, b, genomes, options):
    """`paralogs pair` on one pair: its summary line."""
    folder = os.path.join(args.pairs_dir, pair)
    os.makedirs(folder, exist_ok=True)
    summary = os.path.join(folder, "summary.tsv")
    if os.path.exists(summary):
        os.remove(summary)
    text = None
    try:
        if genomes is None:
            text = sources.from_collection(a, b)
        elif not a:
            a, b = sources.first_two(genomes)
    except collection.Failure as failure:
        return failed_row(pair, a, b, failure)
    command = [args.paralogs, "pair", "-s", "-" if text is not None else genomes, "--a", a, "--b", b,
               "-d", folder, "--name", pair, *options]
    done = subprocess.run(command, input=text, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                          text=True)
    with open(os.path.join(folder, "pair.log"), "w") as log:
        log.write(done.stderr)
    lines = done.stderr.strip().splitlines()
    try:
        row = read_summary(summary, pair)
    except (collection.Failure, OSError) as failure:
        reason = lines[-1] if lines else str(failure)
        return failed_row(pair, a, b, f"{reason} (paralogs pair exited with {done.returncode})")
    if done.returncode not in (0, 1) or (done.returncode == 1) != (row["status"] == "failed"):
        reason = lines[-1] if lines else "no message"
        return failed_row(pair, a, b, f"paralogs pair exited with {done.returncode}: {reason}",
                          row["genes_a"], row["genes_b"])
    return row


def write_tsv(path, columns, rows):
    with open(path + ".tmp", "w", newline="") as out:
        table = csv.DictWriter(out, columns, delimiter="\t", lineterminator="\n")
        table.writeheader()
        table.writerows(rows)
    os.replace(path + ".tmp", path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for option in ("--paralogs", "--list", "--batch", "--pairs-dir", "-o", "--times"):
        parser.add_argument(option, required=True)
    parser.add_argument("--collection", default="")
    parser.add_argument("--collection-failed", default="")
    parser.add_argument("options", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    options = args.options[1:] if args.options[:1] == ["--"] else args.options
    sources = Sources(args.paralogs, args.collection, args.collection_failed)
    pairs = collection.read_pair_list(args.list, args.batch)
    rows, times = [], []
    for number, (pair, a, b, genomes) in enumerate(pairs, 1):
        start = time.monotonic()
        row = run_pair(args, sources, pair, a, b, genomes, options)
        seconds = time.monotonic() - start
        rows.append(row)
        times.append({"pair": pair, "seconds": f"{seconds:.3f}"})
        print(f"batch: {number}/{len(pairs)} {pair}: {row['status']} in {seconds:.1f} s"
              + (f" ({row['note']})" if row["status"] == "failed" else ""), file=sys.stderr)
    write_tsv(args.times, ["pair", "seconds"], times)
    write_tsv(args.o, COLUMNS, rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
