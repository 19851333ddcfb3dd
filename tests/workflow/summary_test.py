#!/usr/bin/env python3
"""The workflow's own logic on hand-made inputs: the pair's summary line and
its check (workflow/scripts/summary.py), the join, and the refusals of bad
sheets of pairs and configurations (snakemake --dry-run).

  summary_test.py --workflow DIR"""

import argparse
import csv
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

WORKFLOW = ""

UNIMOG = ">ga\na.1 -b.1 c.1 |\nd.1 a.2 )\n>gb\nb.1 -a.1 |\ne.1 c.1 )\n"
SCORE_HEADER = "matched\tadjacencies\ttelomeres\tobjective\tbreakpoint_distance\n"
BENCHMARK = "s\th:m:s\tmax_rss\n0.0421\t0:00:00\t10.5\n"


def solution(outcome, objective):
    value = "" if objective is None else f' objectiveValue="{objective}"'
    kept = "" if outcome is None else f' outcome="{outcome}"'
    return (f'<?xml version="1.0"?>\n<CPLEXSolution version="1.2">\n <header sourceFormat="cbc"'
            f' solutionStatusString="Optimal"{value}{kept}/>\n <variables>\n'
            f'  <variable name="z_a.1.1" index="0" value="1"/>\n </variables>\n</CPLEXSolution>\n')


class PairLine(unittest.TestCase):
    def run_pair(self, outcome, objective, score, model_log=""):
        folder = tempfile.mkdtemp(prefix="rp-summary-")
        self.addCleanup(shutil.rmtree, folder)
        files = {"pair.unimog": UNIMOG, "solution.xml": solution(outcome, objective),
                 "score.tsv": SCORE_HEADER + score + "\n", "bench.tsv": BENCHMARK,
                 "model.log": model_log}
        for name, text in files.items():
            with open(os.path.join(folder, name), "w") as out:
                out.write(text)
        out = os.path.join(folder, "summary.tsv")
        done = subprocess.run(
            [sys.executable, os.path.join(WORKFLOW, "scripts", "summary.py"), "pair", "--pair", "p1",
             "--solver", "cbc", "--unimog", os.path.join(folder, "pair.unimog"),
             "--solution", os.path.join(folder, "solution.xml"),
             "--score", os.path.join(folder, "score.tsv"), "--benchmark", os.path.join(folder, "bench.tsv"),
             "--model-log", os.path.join(folder, "model.log"), "-o", out],
            stderr=subprocess.PIPE, text=True)
        rows = None
        if os.path.exists(out):
            with open(out, newline="") as tsv:
                rows = list(csv.DictReader(tsv, delimiter="\t"))
        return done, rows

    def test_outcomes(self):
        warning = "paralogs model: warning: family a: copies of A would keep an index B uses\n"
        # outcome, objective, score line, model log, expected (status, equal, note holds)
        cases = [
            ("optimal", "4", "3\t1\t2\t4\t1.0", "", ("optimal", "yes", "")),
            ("optimal", "3.99999999", "3\t1\t2\t4\t1.0", "", ("optimal", "yes", "")),
            ("limit", "3", "3\t1\t2\t4\t1.0", "", ("limit", "no", "limit")),
            ("limit", "4", "3\t1\t2\t4\t1.0", "", ("limit", "yes", "limit")),
            ("optimal", "5", "3\t1\t2\t4\t1.0", warning, ("optimal", "no", "keep an index")),
            ("unknown", "4", "3\t1\t2\t4\t1.0", "", ("unknown", "yes", "optimality")),
            (None, None, "3\t1\t2\t4\t1.0", "", ("unknown", "unknown", "optimality")),
        ]
        for outcome, objective, score, log, (status, equal, note) in cases:
            with self.subTest(outcome=outcome, objective=objective, log=bool(log)):
                done, rows = self.run_pair(outcome, objective, score, log)
                self.assertEqual(done.returncode, 0, done.stderr)
                self.assertEqual(len(rows), 1)
                row = rows[0]
                self.assertEqual((row["status"], row["score_equals_objective"]), (status, equal))
                self.assertIn(note, row["note"])
                if not note:
                    self.assertEqual(row["note"], "")
                self.assertEqual((row["a"], row["b"], row["genes_a"], row["genes_b"], row["families_both"]),
                                 ("ga", "gb", "5", "4", "3"))
                self.assertEqual((row["matched"], row["adjacencies"], row["telomeres"], row["score"],
                                  row["breakpoint_distance"], row["wall_s"]),
                                 ("3", "1", "2", "4", "1.0", "0.042"))

    def test_optimal_objective_not_reached_fails_the_pair(self):
        for objective, score in (("5", "3\t1\t2\t4\t1.0"), ("3", "3\t1\t2\t4\t1.0")):
            with self.subTest(objective=objective):
                done, rows = self.run_pair("optimal", objective, score)
                self.assertEqual(done.returncode, 1)
                self.assertIn("pair p1", done.stderr)
                self.assertIn(f"objective is {objective}", done.stderr)
                self.assertIsNone(rows, "no summary line for a failed pair")

    def test_unreadable_inputs_fail(self):
        for score in ("3\t1\t2\n", ""):
            with self.subTest(score=score):
                done, rows = self.run_pair("optimal", "4", score)
                self.assertEqual(done.returncode, 1)
                self.assertIn("score.tsv", done.stderr)
                self.assertIsNone(rows)


class Join(unittest.TestCase):
    def test_join_keeps_order_and_one_header(self):
        folder = tempfile.mkdtemp(prefix="rp-join-")
        self.addCleanup(shutil.rmtree, folder)
        script = os.path.join(WORKFLOW, "scripts", "summary.py")
        sys.path.insert(0, os.path.join(WORKFLOW, "scripts"))
        import summary
        paths = []
        for name in ("second", "first"):
            path = os.path.join(folder, f"{name}.tsv")
            summary.write_table(path, [{column: name if column == "pair" else "" for column in summary.COLUMNS}])
            paths.append(path)
        out = os.path.join(folder, "all.tsv")
        done = subprocess.run([sys.executable, script, "join", "-o", out] + paths,
                              stderr=subprocess.PIPE, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        with open(out) as tsv:
            lines = tsv.read().splitlines()
        self.assertEqual(lines[0].split("\t"), summary.COLUMNS)
        self.assertEqual([line.split("\t")[0] for line in lines[1:]], ["second", "first"])

        with open(paths[1], "w") as bad:
            bad.write("pair\tother\nx\ty\n")
        done = subprocess.run([sys.executable, script, "join", "-o", out] + paths,
                              stderr=subprocess.PIPE, text=True)
        self.assertEqual(done.returncode, 1)
        self.assertIn("not a pair's summary", done.stderr)


@unittest.skipIf(shutil.which("snakemake") is None, "snakemake is not installed")
class SampleSheet(unittest.TestCase):
    def dry_run(self, sheet, *config):
        folder = tempfile.mkdtemp(prefix="rp-sheet-")
        self.addCleanup(shutil.rmtree, folder)
        with open(os.path.join(folder, "genomes.unimog"), "w") as genomes:
            genomes.write(UNIMOG)
        with open(os.path.join(folder, "samples.tsv"), "w") as out:
            out.write(sheet)
        env = dict(os.environ, HOME=os.path.join(folder, "home"),
                   XDG_CACHE_HOME=os.path.join(folder, "cache"))
        return subprocess.run(
            ["snakemake", "-n", "--cores", "4", "--snakefile", os.path.join(WORKFLOW, "Snakefile"),
             "--directory", folder, "--config", f"samples={os.path.join(folder, 'samples.tsv')}",
             *config], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)

    def test_good_sheet_plans_every_step(self):
        done = self.dry_run("pair\tgenomes\ta\tb\np1\tgenomes.unimog\tgb\tga\n# a comment\np2\tgenomes.unimog\t\t\n")
        self.assertEqual(done.returncode, 0, done.stdout)
        for rule, count in (("pair_list", 1), ("batch", 1), ("summary", 1)):
            self.assertRegex(done.stdout, rf"\n{rule} +{count} ", rule)

    def test_refusals(self):
        good = "p1\tgenomes.unimog\t\t\n"
        cases = [
            ("pair\tfile\np1\tgenomes.unimog\n", (), "unknown column(s) file"),
            ("pair\tgenomes\ta\tb\n" + good + good, (), "pair p1 is listed twice"),
            ("pair\tgenomes\ta\tb\np1\tgenomes.unimog\tga\t\n", (), "names one genome"),
            ("pair\tgenomes\ta\tb\np1\tgenomes.unimog\tga\tga\n", (), "names genome ga twice"),
            ("pair\tgenomes\ta\tb\np/1\tgenomes.unimog\t\t\n", (), "line 2: column pair: 'p/1' does not match"),
            ("pair\tgenomes\ta\tb\np1\t\t\t\n", (), "pair p1 has no genomes file"),
            ("pair\tgenomes\ta\tb\n" + good, ("batch_size=0",), "0 is less than the minimum of 1"),
            ("pair\tgenomes\ta\tb\n" + good, ("colour=red",), "('colour' was unexpected)"),
            ("pair\tgenomes\ta\tb\n" + good, ("distance=other",), "'other' is not one of ['breakpoint', 'dcj']"),
            ("pair\tgenomes\n", (), "no pairs"),
            ("pair\tgenomes\ta\tb\n" + good, ("solver=highs2",), "'highs2' is not one of ['cbc', 'glpsol', 'highs', 'custom']"),
            ("pair\tgenomes\ta\tb\n" + good, ("solver=custom",), "solver custom needs a solver_command"),
            ("pair\tgenomes\ta\tb\n" + good, ("time_limit=0",), "0 is less than the minimum of 1"),
            ("pair\tgenomes\ta\tb\n" + good, ("model=other",), "'other' is not one of ['maximum', 'exemplar', 'intermediate']"),
        ]
        for sheet, config, message in cases:
            with self.subTest(message=message):
                done = self.dry_run(sheet, *config)
                self.assertNotEqual(done.returncode, 0)
                self.assertIn(message, done.stdout)

    def test_custom_solver_template(self):
        done = self.dry_run("pair\tgenomes\np1\tgenomes.unimog\n", "solver=custom", "threads=3",
                            "solver_command=mysolver {lp} -o {solution} -t {threads} -T {time_limit} {other}", "-p")
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertIn("--solver 'mysolver {lp} -o {solution} -t {threads} -T {time_limit} {other}'"
                      " --time-limit 600 --threads 3", done.stdout)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--workflow", required=True)
    args, rest = parser.parse_known_args()
    WORKFLOW = os.path.abspath(args.workflow)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
