#!/usr/bin/env python3
"""The pipeline end to end: runs workflow/ on the example sheet of pairs
(config/samples.tsv) with one
solver in a fresh temporary directory and checks results/summary.tsv (every
pair optimal, every score equal to the solver's objective, the sizes and
scores of expected/summary.tsv) and the resolved UniMoG files against
expected/PAIR.resolved.unimog, byte for byte.

  workflow_test.py --solver cbc|glpsol --workflow DIR --build DIR
  workflow_test.py --outcomes --workflow DIR --build DIR

With --outcomes, the solver's answer is edited after CBC (a solver command of
the user's own): a solution said to be stopped by its time limit with a low
objective must give a summary line marked limit, and one said to be optimal
with that objective must fail its pair and leave no summary; a compressed
genomes file goes through, and a genome its file lacks fails that pair alone
(a summary line marked failed, the run itself successful).

Exit 0 passed, 1 failed, 77 skipped (snakemake, the solver or paralogs pair missing)."""

import argparse
import functools
import gzip
import os
import sys

import harness
from harness import table

HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, "expected")


def snakemake(args, scratch, name, *config):
    """Runs the workflow in the fresh folder scratch/name with the given
    --config items; returns (the finished process, the folder)."""
    run = os.path.join(scratch, name)
    os.makedirs(run)
    done = harness.snakemake(args.workflow, run, "--config", f"build={args.build}", "time_limit=120", *config,
                             state=scratch)
    return done, run


def example(args, scratch, check):
    """The example sheet with the chosen solver, checked pair by pair."""
    done, run = snakemake(args, scratch, "run", f"solver={args.solver}",
                          f"pairs={os.path.join(args.workflow, '..', 'config', 'samples.tsv')}")
    if not check.ran(done):
        return
    summary = table(os.path.join(run, "results", "summary.tsv"))
    expected = table(os.path.join(EXPECTED, "summary.tsv"))
    check([row["pair"] for row in summary] == [row["pair"] for row in expected],
          f"pairs {[row['pair'] for row in summary]}, expected those of expected/summary.tsv")
    for row, want in zip(summary, expected):
        pair = row["pair"]
        check(row["solver"] == args.solver, f"{pair}: solver {row['solver']}")
        check(row["status"] == "optimal", f"{pair}: status {row['status']} ({row['solver_status']})")
        check(row["score_equals_objective"] == "yes",
              f"{pair}: score {row['score']}, objective {row['objective']}")
        check(row["objective"] != "" and float(row["objective"]) == float(row["score"]),
              f"{pair}: objective {row['objective']!r}, score {row['score']}")
        check(row["wall_s"] != "" and float(row["wall_s"]) >= 0, f"{pair}: wall time {row['wall_s']!r}")
        check(row["note"] == "", f"{pair}: note {row['note']!r}")
        for column, value in want.items():
            check(row[column] == value, f"{pair}: {column} {row[column]!r}, expected {value!r}")

    for pair in (row["pair"] for row in expected):
        want = os.path.join(EXPECTED, f"{pair}.resolved.unimog")
        if not os.path.exists(want):
            continue  # several optimal matchings: the score checks it
        with open(want, "rb") as file:
            wanted = file.read()
        with open(os.path.join(run, "results", "pairs", pair, "resolved.unimog"), "rb") as file:
            got = file.read()
        if not check(got == wanted, f"{pair}: resolved.unimog differs from expected/{pair}.resolved.unimog"):
            print(f"--- {pair}: got\n{got.decode(errors='replace')}--- expected\n{wanted.decode()}")


def outcomes(args, scratch, check):
    """CBC's answer edited to say a limit, or a wrong optimum."""
    sheet = os.path.join(scratch, "samples.tsv")
    with open(sheet, "w") as out:
        out.write(f"pair\tgenomes\nmore\t{os.path.join(args.workflow, 'example', 'more_copies.unimog')}\n")
    for name, status_line in (("limit", "Stopped on time"), ("wrong", "Optimal")):
        edit = f"sed -i '1s/^Optimal - objective value .*/{status_line} - objective value 1.0/' {{solution}}"
        done, run = snakemake(args, scratch, name, f"samples={sheet}", "solver=custom",
                              f"solver_command=cbc {{lp}} solve solu {{solution}} && {edit}")
        summary = os.path.join(run, "results", "summary.tsv")
        if name == "limit":
            if not check.ran(done, "limit"):
                continue
            row = table(summary)[0]
            check((row["status"], row["solver_status"], row["objective"], row["score"],
                   row["score_equals_objective"]) == ("limit", "Stopped on time", "1", "16", "no"),
                  f"limit: summary line {row}")
            check("limit" in row["note"], f"limit: note {row['note']!r}")
        else:
            message = "pair more: the resolved genomes score 16, the solver's optimal objective is 1"
            if not check(done.returncode != 0 and message in done.stdout,
                         f"wrong: snakemake exited with {done.returncode} without the pair's message"):
                print(done.stdout)
            check(not os.path.exists(summary), "wrong: a summary was written")

    # A compressed genomes file goes through; a genome the file lacks fails its
    # pair alone (with --keep-going) and says which.
    with open(os.path.join(args.workflow, "example", "more_copies.unimog"), "rb") as plain:
        with gzip.open(os.path.join(scratch, "more.unimog.gz"), "wb") as packed:
            packed.write(plain.read())
    with open(sheet, "w") as out:
        out.write("pair\tgenomes\ta\tb\npacked\tmore.unimog.gz\tfew\tmany\n"
                  "absent\tmore.unimog.gz\tfew\tother\n")
    done, run = snakemake(args, scratch, "sheet", f"samples={sheet}")
    if not check.ran(done, "sheet"):
        return
    packed, absent = table(os.path.join(run, "results", "summary.tsv"))
    check((packed["a"], packed["b"], packed["genes_a"], packed["genes_b"], packed["status"], packed["score"]) ==
          ("few", "many", "10", "13", "optimal", "16"), f"sheet: compressed pair {packed}")
    check((absent["pair"], absent["status"], absent["distance"]) == ("absent", "failed", "")
          and "other" in absent["note"], f"sheet: the pair of a genome its file lacks: {absent}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--solver", choices=["cbc", "glpsol"], default="cbc")
    parser.add_argument("--outcomes", action="store_true")
    args = harness.parse(parser)
    skip = harness.skip_reason(("snakemake", args.solver), args.build)
    return harness.run("rp-workflow-", functools.partial(outcomes if args.outcomes else example, args), skip)


if __name__ == "__main__":
    sys.exit(main())
