#!/usr/bin/env python3
"""The refusals of bad sheets of pairs and configurations, and the plan of a
good one (snakemake --dry-run).

  sheet_test.py --workflow DIR"""

import argparse
import os
import shutil
import sys
import tempfile
import unittest

import harness

WORKFLOW = ""

UNIMOG = ">ga\na.1 -b.1 c.1 |\nd.1 a.2 )\n>gb\nb.1 -a.1 |\ne.1 c.1 )\n"


@unittest.skipIf(shutil.which("snakemake") is None, "snakemake is not installed")
class SampleSheet(unittest.TestCase):
    def dry_run(self, sheet, *config):
        folder = tempfile.mkdtemp(prefix="rp-sheet-")
        self.addCleanup(shutil.rmtree, folder)
        with open(os.path.join(folder, "genomes.unimog"), "w") as genomes:
            genomes.write(UNIMOG)
        with open(os.path.join(folder, "samples.tsv"), "w") as out:
            out.write(sheet)
        return harness.snakemake(WORKFLOW, folder, "-n", "--config", f"samples={os.path.join(folder, 'samples.tsv')}",
                                 *config, cores=4)

    def test_good_sheet_plans_every_step(self):
        done = self.dry_run("pair\tgenomes\ta\tb\np1\tgenomes.unimog\tgb\tga\n# a comment\np2\tgenomes.unimog\t\t\n")
        self.assertEqual(done.returncode, 0, done.stdout)
        for rule, count in (("pair_list", 1), ("batch", 1), ("summary", 1)):
            self.assertRegex(done.stdout, rf"\n{rule} +{count} ", rule)

    def test_a_batch_asks_for_its_pairs_limits_with_the_programs_grace(self):
        # a stand-in paralogs whose grace is not the real one's: the runtime
        # (minutes) is two pairs of 41 s + its grace + 10 s, and 10 more; a
        # program without --print-grace is refused, saying so
        build = tempfile.mkdtemp(prefix="rp-build-")
        self.addCleanup(shutil.rmtree, build)
        sheet = "pair\tgenomes\np1\tgenomes.unimog\np2\tgenomes.unimog\n"
        for grace, expected in (("600", "runtime=31"), ("", "--print-grace: exit 2: unknown option")):
            with self.subTest(grace=grace):
                with open(os.path.join(build, "paralogs"), "w") as program:
                    program.write("#!/bin/sh\n" + (f"echo {grace}\n" if grace else "echo unknown option >&2; exit 2\n"))
                os.chmod(os.path.join(build, "paralogs"), 0o755)
                done = self.dry_run(sheet, f"build={build}", "time_limit=41")
                self.assertEqual(done.returncode != 0, not grace, done.stdout)
                self.assertIn(expected, done.stdout)

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
