#!/usr/bin/env python3
"""The pipeline's summary.

  summary.py pair --pair P --solver S --unimog PAIR.unimog --solution SOLUTION.xml
             --score SCORE.tsv --benchmark benchmarks/solve.tsv --model-log MODEL.log -o OUT
      one pair's line (with the header): the genomes' sizes, the score of the
      resolved genomes, the solver's outcome and time. Exit 1 when the solver
      says optimal and the resolved genomes score otherwise (unless the model
      warned that copies keep indices B uses).
  summary.py join -o OUT PAIR_SUMMARY...
      the pairs' lines under one header, in the order given."""

import argparse
import csv
import os
import sys
import xml.etree.ElementTree as ElementTree

COLUMNS = ["pair", "a", "b", "genes_a", "genes_b", "families_both", "matched", "adjacencies",
           "telomeres", "breakpoint_distance", "solver", "status", "solver_status", "objective",
           "score", "wall_s", "score_equals_objective", "note"]


class Failure(Exception):
    pass


def unimog_genomes(path):
    """[(name, [family of each gene])] of a UniMoG file as `paralogs unimog`
    writes it (markers family.copy, reverse ones with a leading -)."""
    genomes = []
    with open(path) as unimog:
        for line in unimog:
            if line.startswith(">"):
                genomes.append((line[1:].strip(), []))
                continue
            for marker in line.split():
                if marker in ("|", ")"):
                    continue
                if not genomes:
                    raise Failure(f"{path}: a marker before the first genome")
                genomes[-1][1].append(marker.lstrip("-+").rpartition(".")[0])
    if len(genomes) != 2:
        raise Failure(f"{path}: {len(genomes)} genomes, not the pair's two")
    return genomes


def solution_header(path):
    """The attributes of the header of a CPLEXSolution document, read up to it."""
    try:
        for _, element in ElementTree.iterparse(path, events=("start",)):
            if element.tag == "header":
                return dict(element.attrib)
            if element.tag == "variables":
                break
    except ElementTree.ParseError as error:
        raise Failure(f"{path}: {error}") from None
    raise Failure(f"{path}: no header element")


def one_row(path, required):
    """The one data line of a two-line tab-separated file, by column name."""
    with open(path, newline="") as table:
        rows = list(csv.DictReader(table, delimiter="\t"))
    if len(rows) != 1 or any(rows[0].get(column) in (None, "") for column in required):
        raise Failure(f"{path}: not one line with the columns {' '.join(required)}")
    return rows[0]


def number(text):
    return float(text) if text not in (None, "") else None


def pair_line(args):
    (a, genes_a), (b, genes_b) = unimog_genomes(args.unimog)
    score = one_row(args.score, ["matched", "adjacencies", "telomeres", "objective",
                                 "breakpoint_distance"])
    header = solution_header(args.solution)
    wall = number(one_row(args.benchmark, ["s"])["s"])
    with open(args.model_log) as log:
        warnings = [line.strip() for line in log if ": warning: " in line]

    status = header.get("outcome", "unknown")
    objective = number(header.get("objectiveValue"))
    scored = number(score["objective"])
    if objective is None:
        equal = "unknown"
    else:
        equal = "yes" if abs(scored - objective) <= 1e-6 * max(1.0, abs(objective)) else "no"
    notes = []
    if status == "limit":
        notes.append("the solver stopped on a limit: the matching may not be optimal")
    elif status != "optimal":
        notes.append("the solver's answer says nothing of optimality")
    if warnings:
        notes.append(warnings[0])
    if status == "optimal" and equal == "no" and not warnings:
        raise Failure(f"pair {args.pair}: the resolved genomes score {score['objective']}, "
                      f"the solver's optimal objective is {header.get('objectiveValue')}")

    def shown(value):
        return "" if value is None else f"{value:g}"

    return {
        "pair": args.pair, "a": a, "b": b,
        "genes_a": len(genes_a), "genes_b": len(genes_b),
        "families_both": len(set(genes_a) & set(genes_b)),
        "matched": score["matched"], "adjacencies": score["adjacencies"],
        "telomeres": score["telomeres"], "breakpoint_distance": score["breakpoint_distance"],
        "solver": args.solver, "status": status,
        "solver_status": header.get("solutionStatusString", ""),
        "objective": shown(objective), "score": score["objective"],
        "wall_s": "" if wall is None else f"{wall:.3f}",
        "score_equals_objective": equal,
        "note": "; ".join(notes).replace("\t", " "),
    }


def write_table(path, rows):
    """Writes the header and `rows` to `path` through a temporary file."""
    temporary = f"{path}.tmp"
    with open(temporary, "w", newline="") as out:
        table = csv.DictWriter(out, COLUMNS, delimiter="\t", lineterminator="\n")
        table.writeheader()
        table.writerows(rows)
    os.replace(temporary, path)


def join(args):
    rows = []
    for path in args.inputs:
        with open(path, newline="") as table:
            reader = csv.DictReader(table, delimiter="\t")
            if reader.fieldnames != COLUMNS:
                raise Failure(f"{path}: not a pair's summary (columns {reader.fieldnames})")
            rows.extend(reader)
    return rows


def main():
    parser = argparse.ArgumentParser(description="The pipeline's summary.")
    commands = parser.add_subparsers(dest="command", required=True)
    pair = commands.add_parser("pair")
    for option in ("--pair", "--solver", "--unimog", "--solution", "--score", "--benchmark",
                   "--model-log", "-o"):
        pair.add_argument(option, required=True)
    joined = commands.add_parser("join")
    joined.add_argument("-o", required=True)
    joined.add_argument("inputs", nargs="+")
    args = parser.parse_args()
    try:
        rows = [pair_line(args)] if args.command == "pair" else join(args)
        write_table(args.o, rows)
    except (Failure, OSError, ValueError) as failure:
        print(f"summary: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
