#!/usr/bin/env python3
"""The pipeline end to end: runs workflow/ on its example sample sheet with one
solver in a fresh temporary directory and checks results/summary.tsv (every
pair optimal, every score equal to the solver's objective, the sizes and
scores of expected/summary.tsv) and the resolved UniMoG files against
expected/PAIR.resolved.unimog, byte for byte.

  workflow_test.py --solver cbc|glpsol --workflow DIR --build DIR

Exit 0 passed, 1 failed, 77 skipped (snakemake or the solver missing)."""

import argparse
import csv
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, "expected")


def table(path):
    with open(path, newline="") as tsv:
        return list(csv.DictReader(tsv, delimiter="\t"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--solver", required=True, choices=["cbc", "glpsol"])
    parser.add_argument("--workflow", required=True)
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    args.workflow = os.path.abspath(args.workflow)
    for program in ("snakemake", args.solver):
        if shutil.which(program) is None:
            print(f"skipped: {program} is not installed (make deps installs it)")
            return 77

    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)
        return condition

    with tempfile.TemporaryDirectory(prefix="rp-workflow-") as scratch:
        run = os.path.join(scratch, "run")
        os.makedirs(run)
        # Snakemake keeps a cache and other state below the home and XDG
        # folders: give it fresh writable ones.
        env = dict(os.environ, HOME=os.path.join(scratch, "home"),
                   XDG_CACHE_HOME=os.path.join(scratch, "cache"),
                   XDG_CONFIG_HOME=os.path.join(scratch, "config"))
        command = ["snakemake", "--snakefile", os.path.join(args.workflow, "Snakefile"),
                   "--directory", run, "--cores", "2", "--config", f"solver={args.solver}",
                   f"build={os.path.abspath(args.build)}", "time_limit=120",
                   f"samples={os.path.join(args.workflow, 'config', 'samples.tsv')}"]
        done = subprocess.run(command, env=env, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True)
        if done.returncode != 0:
            print(done.stdout)
            print(f"FAILED: snakemake exited with {done.returncode}")
            return 1

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
            for column, value in want.items():
                check(row[column] == value, f"{pair}: {column} {row[column]!r}, expected {value!r}")

        for pair in (row["pair"] for row in expected):
            want = os.path.join(EXPECTED, f"{pair}.resolved.unimog")
            if not os.path.exists(want):
                continue  # several optimal matchings: the score checks it
            with open(want, "rb") as file:
                wanted = file.read()
            got_path = os.path.join(run, "results", pair, "resolved.unimog")
            with open(got_path, "rb") as file:
                got = file.read()
            if not check(got == wanted, f"{pair}: resolved.unimog differs from expected/{pair}.resolved.unimog"):
                print(f"--- {pair}: got\n{got.decode(errors='replace')}--- expected\n{wanted.decode()}")

    for failure in failures:
        print(f"FAILED: {failure}")
    if not failures:
        print(f"passed: {len(summary)} pairs with {args.solver}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
