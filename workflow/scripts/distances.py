#!/usr/bin/env python3
"""The workflow's summary of all pairs and the distance matrix drawn from it.

  distances.py summary -o SUMMARY.tsv BATCH.tsv...
      the batches' lines under their one header (the columns `paralogs pair`
      wrote, the same in every batch), in the order given; exit 1 (after
      writing nothing) when an optimal pair's resolved genomes do not score
      the solver's objective: a step of the tools went wrong.
  distances.py matrix --summary SUMMARY.tsv --tsv DISTANCES.tsv --phylip DISTANCES.phy
      the distances of the pairs as a square matrix, genomes in the order
      they first appear in the summary. A pair without a distance (failed) is
      `NA` in the TSV and -1 in the PHYLIP file.

Plain functions over lists; the tree and the pictures are in tree.py and
plots.py."""

import argparse
import csv
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import output_file  # noqa: E402

MISSING_TSV = "NA"
MISSING_PHYLIP = "-1"
# The columns read here; the others pass through as the program wrote them.
NEEDED = ["pair", "a", "b", "status", "objective", "score", "score_equals_objective", "distance", "note",
          "index_limit"]


class Failure(Exception):
    pass


def read_table(path):
    """The columns and the lines of a summary of pairs."""
    with open(path, newline="") as table:
        reader = csv.DictReader(table, delimiter="\t")
        columns = reader.fieldnames or []
        if any(column not in columns for column in NEEDED) or len(set(columns)) != len(columns):
            raise Failure(f"{path}: not a summary of pairs (columns {reader.fieldnames})")
        rows = list(reader)
    if any(None in row or None in row.values() for row in rows):
        raise Failure(f"{path}: a line without the header's columns")
    return columns, rows


def read_rows(path):
    return read_table(path)[1]


def unmet_optima(rows):
    """The lines of the optimal pairs whose resolved genomes do not score the
    objective, unless their column index_limit names families whose unmatched
    copies of A found no free copy index. `paralogs pair` itself marks such
    a pair failed (its score and objective kept): a failed line whose score is
    not its objective is one too, as only an optimal answer is held to it."""
    return [row for row in rows if row["status"] in ("optimal", "failed")
            and row["score_equals_objective"] == "no" and not row["index_limit"]]


def join(paths):
    """The columns the batches share and all their lines."""
    columns, rows = None, []
    for path in paths:
        these, lines = read_table(path)
        if columns is not None and these != columns:
            raise Failure(f"{path}: columns {these} differ from the first batch's {columns}")
        columns = these
        rows.extend(lines)
    bad = unmet_optima(rows)
    if bad:
        listed = "; ".join(f"pair {row['pair']}: the resolved genomes score {row['score']}, "
                           f"the solver's optimal objective is {row['objective']}" for row in bad)
        raise Failure(f"{len(bad)} optimal pair(s) not reached: {listed}")
    return columns, rows


def genome_order(rows):
    """The genomes in the order they first appear in the pairs' lines."""
    seen = {}
    for row in rows:
        for name in (row["a"], row["b"]):
            if name:
                seen.setdefault(name, len(seen))
    return list(seen)


def matrix(rows):
    """(names, square matrix) of the pairs' distances: 0 on the diagonal,
    None where no pair gives one. A pair listed twice with two distances is
    refused."""
    names = genome_order(rows)
    index = {name: i for i, name in enumerate(names)}
    values = [[0.0 if i == j else None for j in range(len(names))] for i in range(len(names))]
    for row in rows:
        if not row["a"] or not row["b"] or row["distance"] == "":
            continue
        i, j = index[row["a"]], index[row["b"]]
        distance = float(row["distance"])
        if i == j:
            raise Failure(f"pair {row['pair']} compares genome {row['a']} with itself")
        if values[i][j] is not None and values[i][j] != distance:
            raise Failure(f"genomes {row['a']} and {row['b']} have two distances: "
                          f"{values[i][j]:g} and {distance:g} (pair {row['pair']})")
        values[i][j] = values[j][i] = distance
    return names, values


def shown(value, missing):
    if value is None:
        return missing
    return str(int(value)) if float(value).is_integer() else f"{value:.6g}"


def tsv_text(names, values):
    lines = ["\t".join(["genome"] + names)]
    for name, row in zip(names, values):
        lines.append("\t".join([name] + [shown(value, MISSING_TSV) for value in row]))
    return "\n".join(lines) + "\n"


def phylip_text(names, values):
    """Square PHYLIP distance matrix in its relaxed form (a name of any length,
    without blanks, then the row); a missing distance is -1."""
    for name in names:
        if not name or any(character.isspace() for character in name):
            raise Failure(f"genome name {name!r} cannot be written in a PHYLIP file (blanks)")
    width = max([10] + [len(name) + 1 for name in names])
    lines = [f"{len(names):5d}"]
    for name, row in zip(names, values):
        lines.append(name.ljust(width) + " ".join(shown(value, MISSING_PHYLIP) for value in row))
    return "\n".join(lines) + "\n"


def read_tsv_matrix(path):
    """(names, values) of a matrix written by tsv_text."""
    with open(path, newline="") as table:
        rows = list(csv.reader(table, delimiter="\t"))
    names = rows[0][1:]
    values = []
    for row in rows[1:]:
        values.append([None if cell == MISSING_TSV else float(cell) for cell in row[1:]])
    if [row[0] for row in rows[1:]] != names or any(len(row) != len(names) for row in values):
        raise Failure(f"{path}: not a square matrix with the same names on both sides")
    return names, values


def complete_part(names, values):
    """The largest set found greedily of genomes whose distances are all
    known: the genome missing most distances left out first (ties: the later
    one). Returns (names kept, their matrix, names left out)."""
    kept = list(range(len(names)))
    left = []
    while True:
        missing = {i: sum(1 for j in kept if values[i][j] is None) for i in kept}
        worst = max(kept, key=lambda i: (missing[i], i), default=None)
        if worst is None or missing[worst] == 0:
            break
        kept.remove(worst)
        left.append(names[worst])
    return ([names[i] for i in kept], [[values[i][j] for j in kept] for i in kept], left)


def main():
    parser = argparse.ArgumentParser(description="The summary of all pairs and the distance matrix.")
    commands = parser.add_subparsers(dest="command", required=True)
    joined = commands.add_parser("summary")
    joined.add_argument("-o", required=True)
    joined.add_argument("inputs", nargs="+")
    square = commands.add_parser("matrix")
    for option in ("--summary", "--tsv", "--phylip"):
        square.add_argument(option, required=True)
    args = parser.parse_args()
    try:
        if args.command == "summary":
            columns, rows = join(args.inputs)
            output_file.write_tsv(args.o, columns, rows)
            failed = sum(1 for row in rows if row["status"] == "failed")
            print(f"summary: {len(rows)} pairs, {failed} failed", file=sys.stderr)
        else:
            names, values = matrix(read_rows(args.summary))
            output_file.write_text(args.tsv, tsv_text(names, values))
            output_file.write_text(args.phylip, phylip_text(names, values))
            missing = sum(value is None for row in values for value in row) // 2
            print(f"matrix: {len(names)} genomes, {missing} distances missing", file=sys.stderr)
    except (Failure, OSError, ValueError) as failure:
        print(f"distances: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
