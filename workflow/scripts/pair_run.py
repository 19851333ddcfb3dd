"""The workflow's `paralogs pair --pairs` run, for the batch jobs of the
pairs (batch.py) and of the typing (store.py) alike: what the program says
of itself (its summary's columns, the files of a pair's folder, its
solver's grace), the run on a sheet of pairs in a folder of its own, and
its summary read back, a pair the run left without its line failed with
the run's reason."""

import csv
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import collection  # noqa: E402
import output_file  # noqa: E402

SHEET_COLUMNS = ["pair", "genomes", "a", "b"]
# A pair's progress line of `paralogs pair --pairs`:
# "paralogs pair: [K/N] PAIR: STATUS ..., SECONDS s".
PROGRESS = re.compile(r"^(?:paralogs pair: )?\[(\d+)/(\d+)\] .*, (\d+(?:\.\d*)?) s$")


def _ask(paralogs, *options):
    """The standard output of `paralogs pair OPTIONS`, or Failure."""
    done = subprocess.run([paralogs, "pair", *options], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        raise collection.Failure(f"{paralogs} pair {' '.join(options)}: exit {done.returncode}: "
                                 f"{done.stderr.strip() or done.stdout.strip()}")
    return done.stdout


def summary_columns(paralogs):
    """The columns of a pair's summary line, as `paralogs pair --columns` names them."""
    columns = _ask(paralogs, "--columns").rstrip("\n").split("\t")
    if "pair" not in columns or "status" not in columns:
        raise collection.Failure(f"{paralogs} pair --columns: exit 0: {' '.join(columns)}")
    return columns


def solver_grace(paralogs, time_limit):
    """The seconds past `time_limit` after which `paralogs pair` ends its
    solver, as `paralogs pair --print-grace` says."""
    text = _ask(paralogs, "--time-limit", str(time_limit), "--print-grace").strip()
    try:
        return float(text)
    except ValueError:
        raise collection.Failure(f"{paralogs} pair --print-grace: not a number of seconds: {text!r}") from None


class Program:
    """`paralogs` and what its pair command says of itself: the summary's
    columns and the files of a pair's folder (collection.road_files)."""

    def __init__(self, paralogs):
        self.path = paralogs
        self.columns = summary_columns(paralogs)
        self.files = collection.road_files(paralogs)


def failed_row(columns, pair, a, b, reason, genes_a="", genes_b=""):
    """A failed pair's summary line: its names, the reason on one line in
    `note`, every other column empty."""
    row = {column: "" for column in columns}
    values = dict(pair=pair, a=a, b=b, genes_a=genes_a, genes_b=genes_b, status="failed",
                  note=" ".join(str(reason).split()))
    row.update((column, value) for column, value in values.items() if column in row)
    return row


def progress_lines(text, total):
    """{K: (line, seconds)} of the run's progress lines of its K-th pair."""
    found = {}
    for line in text.splitlines():
        match = PROGRESS.match(line)
        if match and int(match.group(2)) == total:
            found[int(match.group(1))] = (line, float(match.group(3)))
    return found


def refused_line(sheet, reason):
    """The index of the sheet's pair a run refused before any pair ran (its
    message "SHEET line N: ..."; the header is line 1), or None."""
    match = re.search(re.escape(sheet) + r" line (\d+): ", reason)
    return int(match.group(1)) - 2 if match else None


def run_once(program, sheet, lines, work, options, genomes):
    """`paralogs pair --pairs SHEET -d WORK` on `lines` (WORK of an earlier
    run cleared first): ({pair: summary line} of the pairs it finished,
    {K: progress}, the reason of the pairs it left without their line)."""
    output_file.write_tsv(sheet, SHEET_COLUMNS, lines)
    collection.clear_run_folder(work, program.files)
    command = [program.path, "pair", "--pairs", sheet, "-d", work]
    if genomes and any(not line["genomes"] for line in lines):
        command += ["-s", genomes]
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
        if reader.fieldnames != program.columns:
            reason = f"{summary}: not the columns of paralogs pair --columns ({reason})"
        else:
            rows = {row["pair"]: row for row in found if row.get("status") != "pending"}
    return rows, progress_lines(done.stderr, len(lines)), reason


def run_sheet(program, sheet, pairs, work, options, genomes=""):
    """The pairs [(sheet line {pair, genomes, a, b}, a, b)] in one
    `paralogs pair --pairs` run, their sheet written to SHEET, their folders
    left in WORK; GENOMES the collection of the lines without a genomes file.
    Returns [(summary line, log line, seconds)] in the pairs' order. A line
    the program refuses before any pair runs ("SHEET line N: ...") fails
    alone with the reason and the run goes again without it; a pair the run
    left without its line, or pending, fails with the run's reason (a and b
    name it in a failed line)."""
    waiting, refused = list(range(len(pairs))), {}
    rows, progress, reason = {}, {}, ""
    while waiting:
        lines = [pairs[k][0] for k in waiting]
        rows, progress, reason = run_once(program, sheet, lines, work, options, genomes)
        at = None if rows or os.path.exists(os.path.join(work, "summary.tsv")) else refused_line(sheet, reason)
        if at is None or not 0 <= at < len(lines):
            break
        refused[waiting.pop(at)] = reason
    number = {k: place for place, k in enumerate(waiting, 1)}  # the pairs' places in the last run's sheet
    outcomes = []
    for k, (line, a, b) in enumerate(pairs):
        if k in refused:
            outcomes.append((failed_row(program.columns, line["pair"], a, b, refused[k]), refused[k], 0.0))
            continue
        log, seconds = progress.get(number[k], ("", 0.0))
        row = rows.get(line["pair"])
        if row is None:
            row, log = failed_row(program.columns, line["pair"], a, b, reason), log or reason
        outcomes.append((row, log, seconds))
    return outcomes
