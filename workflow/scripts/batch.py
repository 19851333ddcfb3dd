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
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import collection  # noqa: E402

def summary_columns(paralogs):
    """The columns of a pair's summary line, as `paralogs pair --columns` names them."""
    done = subprocess.run([paralogs, "pair", "--columns"], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True)
    columns = done.stdout.rstrip("\n").split("\t")
    if done.returncode != 0 or "pair" not in columns or "status" not in columns:
        raise collection.Failure(f"{paralogs} pair --columns: exit {done.returncode}: "
                                 f"{done.stderr.strip() or done.stdout.strip()}")
    return columns


def failed_row(columns, pair, a, b, reason, genes_a="", genes_b=""):
    row = {column: "" for column in columns}
    row.update(pair=pair, a=a, b=b, genes_a=genes_a, genes_b=genes_b, status="failed",
               note=" ".join(str(reason).split()))
    return row


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


# A pair's progress line of `paralogs pair --pairs`:
# "paralogs pair: [K/N] PAIR: STATUS ..., SECONDS s".
PROGRESS = re.compile(r"^(?:paralogs pair: )?\[(\d+)/(\d+)\] .*, (\d+(?:\.\d*)?) s$")


def progress_lines(text, total):
    """{K: (line, seconds)} of the run's progress lines of its K-th pair."""
    found = {}
    for line in text.splitlines():
        match = PROGRESS.match(line)
        if match and int(match.group(2)) == total:
            found[int(match.group(1))] = (line, float(match.group(3)))
    return found


def run_sheet(args, sheet, lines, options, work):
    """`paralogs pair --pairs` on the batch's sheet: ({pair: summary line},
    {K: progress}, the reason of a pair the run left without its line)."""
    write_tsv(sheet, ["pair", "genomes", "a", "b"], lines)
    collection.clear_run_folder(work, args.files)
    command = [args.paralogs, "pair", "--pairs", sheet, "-d", work, "--keep", "all"]
    if any(not line["genomes"] for line in lines):
        command += ["-s", args.collection]
    done = subprocess.run([*command, *options], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    sys.stderr.write(done.stderr)
    messages = [line for line in done.stderr.strip().splitlines() if not PROGRESS.match(line)]
    reason = (f"paralogs pair --pairs exited with {done.returncode}: "
              f"{messages[-1] if messages else 'no message'}")
    summary, rows = os.path.join(work, "summary.tsv"), {}
    if os.path.exists(summary):
        with open(summary, newline="") as table:
            reader = csv.DictReader(table, delimiter="\t")
            found = list(reader)
        if reader.fieldnames != args.columns:
            reason = f"{summary}: not the columns of paralogs pair --columns ({reason})"
        else:
            rows = {row["pair"]: row for row in found}
    return rows, progress_lines(done.stderr, len(lines)), reason


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
    with open(os.path.join(target, "pair.log"), "w") as text:
        text.write(log + "\n" if log else "")
    return ""


def refused_line(sheet, reason):
    """The index of the sheet's pair a run refused before any pair ran (its
    message "SHEET line N: ..."; the header is line 1), or None."""
    match = re.search(re.escape(sheet) + r" line (\d+): ", reason)
    return int(match.group(1)) - 2 if match else None


def run_batch(args, sources, pairs, options):
    """(rows, times) of the batch's pairs in order. A pair the run refuses
    (a genome its file reads otherwise than the workflow found) fails with
    the reason, and the run goes again without it."""
    planned = plan(sources, pairs)
    base = os.path.splitext(args.o)[0]
    sheet, work = base + ".pairs.tsv", base + ".work"
    while True:
        lines = [line for _, _, _, line, _ in planned if line is not None]
        rows_run, progress, reason = run_sheet(args, sheet, lines, options, work) if lines else ({}, {}, "")
        refused = None if rows_run or os.path.exists(os.path.join(work, "summary.tsv")) \
            else refused_line(sheet, reason)
        if refused is None or not 0 <= refused < len(lines):
            break
        at = next(k for k, entry in enumerate(planned) if entry[3] is lines[refused])
        pair, a, b, _, _ = planned[at]
        planned[at] = (pair, a, b, None, reason)
    rows, times, number = [], [], 0
    for pair, a, b, line, failure in planned:
        seconds, log = 0.0, str(failure)
        if line is None:
            row = failed_row(args.columns, pair, a, b, failure)
        else:
            number += 1
            log, seconds = progress.get(number, ("", 0.0))
            row = rows_run.get(pair)
            if row is None or row.get("status") in (None, "pending"):
                row = failed_row(args.columns, pair, a, b, reason)
                log = log or reason
        taken = place(args.pairs_dir, work if line is not None else "", pair, log, args.files)
        if taken:
            row = failed_row(args.columns, pair, a, b, taken)
        rows.append(row)
        times.append({"pair": pair, "seconds": f"{seconds:.3f}"})
    collection.clear_run_folder(work, args.files)
    return rows, times


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
    try:
        args.columns = summary_columns(args.paralogs)
        args.files = collection.road_files(args.paralogs)
    except (collection.Failure, OSError) as failure:
        print(f"batch: {failure}", file=sys.stderr)
        return 1
    sources = Sources(args.paralogs, args.collection, args.collection_failed)
    pairs = collection.read_pair_list(args.list, args.batch)
    rows, times = run_batch(args, sources, pairs, options)
    failed = [row for row in rows if row["status"] == "failed"]
    print(f"batch: {len(rows)} pairs, {len(failed)} failed", file=sys.stderr)
    for row in failed:
        print(f"batch: {row['pair']}: failed ({row['note']})", file=sys.stderr)
    write_tsv(args.times, ["pair", "seconds"], times)
    write_tsv(args.o, args.columns, rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
