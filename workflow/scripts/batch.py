#!/usr/bin/env python3
"""One batch job of the workflow: the pairs of a batch (its lines in the list
of pairs) in one `paralogs pair --pairs` process, genomes read once, each
pair's files in RESULTS/pairs/PAIR/, and the pairs' summary lines in the
list's order. A pair whose genomes cannot be read, or that fails, is a line
with status `failed` and its reason in `note`; the batch itself fails only
when it cannot write.

  batch.py --paralogs PROGRAM --list PAIRS.tsv --batch N --pairs-dir DIR
           [--collection GENOMES.unimog --collection-failed FAILED.tsv]
           -o BATCH.tsv --times BATCH.times.tsv -- PAIR OPTIONS...

The batch's sheet of pairs is written next to BATCH.tsv (BATCH.pairs.tsv),
the run's own folder is BATCH.work/ until its pairs' folders are moved.
PAIR OPTIONS go to `paralogs pair` (--distance, --model, --solver, ...).
The columns are the program's own: `paralogs pair --columns` prints them."""

import argparse
import csv
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import collection  # noqa: E402
import output_file  # noqa: E402
import pair_run  # noqa: E402


class Sources:
    """The genomes behind the pairs: the collection's (read once) and those of
    sheet files (their names read once a file)."""

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

    def check_collection(self, a, b):
        """Failure naming a genome of the pair the collection lacks."""
        for name in (a, b):
            if name not in self.genomes:
                reason = self.failures.get(name, "not in the collection")
                raise collection.Failure(f"genome {name}: {reason}")

    def names(self, path):
        if path not in self.files:
            try:
                self.files[path] = [name for name, _ in collection.read_genomes(self.paralogs, path)]
            except (collection.Failure, OSError) as failure:
                self.files[path] = failure
        names = self.files[path]
        if isinstance(names, Exception):
            raise collection.Failure(str(names))
        return names

    def first_two(self, path):
        names = self.names(path)
        if len(names) < 2:
            raise collection.Failure(f"{path}: holds {len(names)} genome(s), a pair needs two")
        return names[0], names[1]

    def check_file(self, path, a, b):
        """Failure naming a genome the file lacks or holds more than once."""
        names = self.names(path)
        for name in (a, b):
            if name not in names:
                raise collection.Failure(f"genome {name} is not in {path}")
            if names.count(name) > 1:
                raise collection.Failure(f"genome {name} is in {path} more than once")


def plan(sources, pairs):
    """Each pair of the batch as (pair, a, b, sheet line or None, reason): the
    line of the batch's sheet (pair, genomes, a, b; genomes empty for the
    collection's) of a pair whose genomes can be read, else the reason."""
    planned = []
    for pair, a, b, genomes in pairs:
        try:
            if genomes is None:
                sources.check_collection(a, b)
                line = {"pair": pair, "genomes": "", "a": a, "b": b}
            elif not a:
                a, b = sources.first_two(genomes)
                line = {"pair": pair, "genomes": os.path.abspath(genomes), "a": "", "b": ""}
            else:
                sources.check_file(genomes, a, b)
                line = {"pair": pair, "genomes": os.path.abspath(genomes), "a": a, "b": b}
            planned.append((pair, a, b, line, ""))
        except collection.Failure as failure:
            planned.append((pair, a, b, None, failure))
    return planned


def place(pairs_dir, work, pair, log, files):
    """The pair's folder moved from the run's folder into PAIRS_DIR/PAIR (an
    earlier one of the workflow's replaced), with its pair.log: '', or why
    the place is not free (a folder that holds files not the workflow's,
    which stays as it is)."""
    target = os.path.join(pairs_dir, pair)
    taken = collection.free_pair_folder(target, files)
    if taken:
        return taken
    source = os.path.join(work, pair) if work else ""
    if source and os.path.isdir(source):
        os.makedirs(pairs_dir, exist_ok=True)
        os.replace(source, target)
    else:
        os.makedirs(target, exist_ok=True)
    output_file.write_text(os.path.join(target, "pair.log"), log + "\n" if log else "")
    return ""


def run_batch(args, program, sources, pairs, options):
    """(rows, times) of the batch's pairs in order: those whose genomes can
    be read in one `paralogs pair --pairs` run (pair_run.run_sheet), the
    others failed with the reason; each pair's folder then placed."""
    planned = plan(sources, pairs)
    base = os.path.splitext(args.o)[0]
    sheet, work = base + ".pairs.tsv", base + ".work"
    runs = [(line, a, b) for _, a, b, line, _ in planned if line is not None]
    outcomes = iter(pair_run.run_sheet(program, sheet, runs, work, ["--keep", "all", *options], args.collection)
                    if runs else [])
    rows, times = [], []
    for pair, a, b, line, failure in planned:
        if line is None:
            row, log, seconds = pair_run.failed_row(program.columns, pair, a, b, failure), str(failure), 0.0
        else:
            row, log, seconds = next(outcomes)
        taken = place(args.pairs_dir, work if line is not None else "", pair, log, program.files)
        if taken:
            row = pair_run.failed_row(program.columns, pair, a, b, taken)
        rows.append(row)
        times.append({"pair": pair, "seconds": f"{seconds:.3f}"})
    collection.clear_run_folder(work, program.files)
    return rows, times


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for option in ("--paralogs", "--list", "--batch", "--pairs-dir", "-o", "--times"):
        parser.add_argument(option, required=True)
    parser.add_argument("--collection", default="")
    parser.add_argument("--collection-failed", default="")
    parser.add_argument("options", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    options = args.options[1:] if args.options[:1] == ["--"] else args.options
    try:
        program = pair_run.Program(args.paralogs)
    except (collection.Failure, OSError) as failure:
        print(f"batch: {failure}", file=sys.stderr)
        return 1
    sources = Sources(args.paralogs, args.collection, args.collection_failed)
    pairs = collection.read_pair_list(args.list, args.batch)
    rows, times = run_batch(args, program, sources, pairs, options)
    failed = [row for row in rows if row["status"] == "failed"]
    print(f"batch: {len(rows)} pairs, {len(failed)} failed", file=sys.stderr)
    for row in failed:
        print(f"batch: {row['pair']}: failed ({row['note']})", file=sys.stderr)
    output_file.write_tsv(args.times, ["pair", "seconds"], times)
    output_file.write_tsv(args.o, program.columns, rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
