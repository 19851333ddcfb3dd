#!/usr/bin/env python3
"""The workflow's collection logic on hand-made inputs: pair listing, pair
names, batches, sheets, the batch job's failed lines and its one
`paralogs pair --pairs` run (a stand-in program), the summary's check,
the distance matrix and its PHYLIP and TSV forms, the generator.

  collection_test.py --workflow DIR [--paralogs PROGRAM]"""

import argparse
import csv
import itertools
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
WORKFLOW = ""
PARALOGS = ""


def columns():
    import pair_run
    return pair_run.summary_columns(PARALOGS)


def row(pair, a, b, distance="", status="optimal", equal="yes", note="", score="4", objective="4",
        index_limit=""):
    values = {column: "" for column in columns()}
    values.update(pair=pair, a=a, b=b, distance=distance, status=status, score_equals_objective=equal,
                  note=note, score=score, objective=objective, index_limit=index_limit)
    return values


class Pairs(unittest.TestCase):
    def test_all_pairs_every_unordered_pair_in_file_order(self):
        import collection
        for count in range(0, 7):
            names = [f"n{i}" for i in range(count)]
            pairs = collection.all_pairs(names)
            # an independent road: itertools' combinations keep the order
            self.assertEqual([(a, b) for _, a, b in pairs], list(itertools.combinations(names, 2)))
            self.assertEqual(len({name for name, _, _ in pairs}), len(pairs))

    def test_pair_names_are_folder_safe_and_unique(self):
        import collection
        cases = [
            (["a", "b"], ["a__b"]),
            (["x y", "z/w"], ["x_y__z_w"]),
            (["a_", "_b", "a", "_b"], None),  # collisions get a suffix
            (["..", "b"], ["b"]),
        ]
        for names, expected in cases:
            with self.subTest(names=names):
                pairs = [name for name, _, _ in collection.all_pairs(names)]
                if expected is not None:
                    self.assertEqual(pairs, expected)
                self.assertEqual(len(set(pairs)), len(pairs))
                for name in pairs:
                    self.assertRegex(name, r"^[A-Za-z0-9][A-Za-z0-9._-]*$")

    def test_long_pair_names_as_the_program_shortens_them(self):
        import collection
        name = collection.pair_name("g" * 150, "h" * 150)
        # the literal of the program's own test of its pair names
        self.assertEqual(name, "g" * 150 + "__" + "h" * 31 + "-24367516be669d85")
        self.assertEqual(collection.pair_name("g" * 100, "h" * 98), "g" * 100 + "__" + "h" * 98)

    def test_batches_cover_every_item_once_in_order(self):
        import collection
        for count, size in itertools.product(range(0, 12), range(1, 6)):
            items = list(range(count))
            cut = collection.batches(items, size)
            self.assertEqual([item for batch in cut for item in batch], items)
            self.assertTrue(all(len(batch) == size for batch in cut[:-1]))
            self.assertTrue(all(1 <= len(batch) <= size for batch in cut))
            self.assertEqual(len(cut), -(-count // size))
        with self.assertRaises(ValueError):
            collection.batches([1], 0)

    def test_collection_names_unique(self):
        import collection
        files = {"one.unimog": ["a", "b"], "two.txt": ["c"], "three.txt": ["b"]}
        self.assertEqual(collection.collection_names(["one.unimog", "two.txt"], files.get),
                         [("a", "one.unimog"), ("b", "one.unimog"), ("c", "two.txt")])
        with self.assertRaisesRegex(collection.Failure, "genome b is in one.unimog and again in three.txt"):
            collection.collection_names(["one.unimog", "three.txt"], files.get)

    def test_parse_unimog(self):
        import collection
        genomes = collection.parse_unimog(">x\na -b |\nc )\n>y\n-d |")
        self.assertEqual(genomes, [("x", "a -b |\nc )\n"), ("y", "-d |\n")])
        with self.assertRaises(collection.Failure):
            collection.parse_unimog("a b |\n>x\n")


class Adjacencies(unittest.TestCase):
    def test_conserved_adjacencies_as_the_tool_counts_them(self):
        """The pair figure's conserved adjacencies against `paralogs score`."""
        import collection
        if not PARALOGS:
            self.skipTest("no --paralogs")
        rng = random.Random(11)
        folder = tempfile.mkdtemp(prefix="rp-adjacencies-")
        for case in range(40):
            labels = [f"x{i}.1" for i in range(rng.randint(4, 12))]
            genomes = []
            for name in ("A", "B"):
                order = rng.sample(labels, len(labels) - rng.randint(0, 2))
                cut = rng.randint(1, len(order))
                text = "".join(" ".join(rng.choice(("", "-")) + m for m in part) + (" )" if circular else " |") + "\n"
                               for part, circular in ((order[:cut], rng.random() < 0.5), (order[cut:], False))
                               if part)
                genomes.append((name, text))
            unimog = os.path.join(folder, f"{case}.unimog")
            with open(unimog, "w") as out:
                out.write("".join(f">{name}\n{text}" for name, text in genomes))
            structs = os.path.join(folder, f"{case}.txt")
            subprocess.run([PARALOGS, "unimog", "-i", unimog, "-o", structs], check=True,
                           stderr=subprocess.DEVNULL)
            score = subprocess.run([PARALOGS, "score", "-s", structs], check=True, stdout=subprocess.PIPE,
                                   text=True).stdout.splitlines()
            counted = dict(zip(score[0].split("\t"), score[1].split("\t")))
            layouts = [collection.chromosomes_of(text) for _, text in genomes]
            shared = ({label for genes, _ in layouts[0] for _, label in genes}
                      & {label for genes, _ in layouts[1] for _, label in genes})
            sets = [collection.adjacencies(collection.restricted(layout, shared)) for layout in layouts]
            with self.subTest(case=case, genomes=genomes):
                self.assertEqual(len(sets[0] & sets[1]), int(counted["adjacencies"]))


class Sheets(unittest.TestCase):
    def sheet(self, text):
        folder = tempfile.mkdtemp(prefix="rp-sheet-")
        self.addCleanup(lambda: [os.remove(os.path.join(folder, f)) for f in os.listdir(folder)]
                       or os.rmdir(folder))
        path = os.path.join(folder, "pairs.tsv")
        with open(path, "w") as out:
            out.write(text)
        return path, folder

    def test_good_sheet(self):
        import collection
        path, folder = self.sheet("pair\tgenomes\ta\tb\n# comment\np1\tg.unimog\tx\ty\n\np2\tsub/h.txt\t\t\n"
                                  "p3\t\tc1\tc2\n")
        header, rows = collection.read_sheet(path)
        self.assertEqual(header, ["pair", "genomes", "a", "b"])
        self.assertEqual([number for number, _ in rows], [3, 5, 6])
        pairs = collection.sheet_pairs(path, rows, {"c1": "x", "c2": "y"})
        self.assertEqual(pairs, [("p1", "x", "y", os.path.join(folder, "g.unimog")),
                                 ("p2", "", "", os.path.join(folder, "sub", "h.txt")),
                                 ("p3", "c1", "c2", None)])

    def test_refusals(self):
        import collection
        cases = [
            ("pair\tgenomes\ta\tb\np1\tg\t\t\np1\tg\t\t\n", "line 3: pair p1 is listed twice"),
            ("pair\tgenomes\ta\tb\np1\tg\tx\t\n", "line 2: pair p1 names one genome"),
            ("pair\tgenomes\ta\tb\np1\tg\tx\tx\n", "names genome x twice"),
            ("pair\tgenomes\ta\tb\np/1\tg\t\t\n", "pair name 'p/1'"),
            ("pair\tgenomes\ta\tb\np1\t\t\t\n", "pair p1 has no genomes file and names no genomes"),
            ("pair\tgenomes\ta\tb\np1\t\tx\tq\n", "genome q is not in the collection"),
            ("pair\tgenomes\n", "no pairs"),
            ("pair\tgenomes\np1\tg\textra\n", "line 2: 3 fields, the header has 2"),
            ("# only a comment\n", "empty"),
        ]
        for text, message in cases:
            with self.subTest(message=message):
                path, _ = self.sheet(text)
                with self.assertRaisesRegex(collection.Failure, message.replace("(", r"\(")):
                    header, rows = collection.read_sheet(path)
                    collection.sheet_pairs(path, rows, {"x": "f"})

    def test_pair_list_round_trip_by_batch(self):
        import collection
        path, _ = self.sheet("")
        pairs = [("p1", "a", "b", None), ("p2", "", "", "/some/file.txt"), ("p 3", "x y", "z", None)]
        collection.write_pair_list(path, pairs, 2)
        self.assertEqual(collection.read_pair_list(path, "00001"), pairs[:2])
        self.assertEqual(collection.read_pair_list(path, "00002"), pairs[2:])
        self.assertEqual(collection.read_pair_list(path, "00003"), [])
        self.assertNotEqual(collection.digest(pairs[:2]), collection.digest(pairs[1:]))


class Summary(unittest.TestCase):
    def test_unmet_optima(self):
        import distances
        rows = [row("ok", "a", "b"), row("limit", "a", "c", status="limit", equal="no"),
                row("bad", "b", "c", equal="no", score="3"),
                row("excused", "a", "d", equal="no", index_limit="x,y"),
                row("a_note_excuses_nothing", "a", "h", equal="no",
                    note="paralogs model: warning: copies would keep an index B uses"),
                row("failed", "a", "e", status="failed", equal=""),
                row("failed_unmet", "a", "f", status="failed", equal="no", score="16", objective="1"),
                row("unknown", "a", "g", status="unknown", equal="no")]
        self.assertEqual([r["pair"] for r in distances.unmet_optima(rows)],
                         ["bad", "a_note_excuses_nothing", "failed_unmet"])

    def test_join_fails_loudly_and_keeps_order(self):
        import distances
        import output_file
        folder = tempfile.mkdtemp(prefix="rp-join-")
        paths = []
        for name, rows in (("2", [row("y", "a", "c"), row("z", "b", "c")]), ("1", [row("x", "a", "b")])):
            paths.append(os.path.join(folder, f"{name}.tsv"))
            output_file.write_tsv(paths[-1], columns(), rows)
        joined_columns, joined = distances.join(paths)
        self.assertEqual(joined_columns, columns())
        self.assertEqual([r["pair"] for r in joined], ["y", "z", "x"])
        output_file.write_tsv(paths[1], columns(), [row("x", "a", "b", equal="no", score="3", objective="5")])
        with self.assertRaisesRegex(distances.Failure,
                                    "pair x: the resolved genomes score 3, the solver's optimal objective is 5"):
            distances.join(paths)
        done = subprocess.run([sys.executable, os.path.join(WORKFLOW, "scripts", "distances.py"), "summary",
                               "-o", os.path.join(folder, "all.tsv")] + paths, stderr=subprocess.PIPE, text=True)
        self.assertEqual(done.returncode, 1)
        self.assertIn("pair x", done.stderr)
        self.assertFalse(os.path.exists(os.path.join(folder, "all.tsv")))

    def test_columns_are_the_programs(self):
        import distances
        import output_file
        import pair_run
        done = subprocess.run([PARALOGS, "pair", "--columns"], stdout=subprocess.PIPE, text=True, check=True)
        self.assertEqual(columns(), done.stdout.rstrip("\n").split("\t"))
        self.assertEqual(columns()[:3], ["pair", "a", "b"])
        with self.assertRaisesRegex(pair_run.collection.Failure, "pair --columns: exit"):
            pair_run.summary_columns(sys.executable)
        # A column the workflow does not read passes through the join; batches
        # of two column lists, or without a column it reads, are refused.
        folder = tempfile.mkdtemp(prefix="rp-columns-")
        self.addCleanup(shutil.rmtree, folder)
        more = columns() + ["later_column"]
        fewer = [c for c in columns() if c != "wall_s"]
        lacking = [c for c in columns() if c != "distance"]
        for name, names in (("more", more), ("more2", more), ("fewer", fewer), ("lacking", lacking)):
            output_file.write_tsv(os.path.join(folder, f"{name}.tsv"), names,
                                 [dict({c: "" for c in names}, pair=name, status="limit", later_column="x")
                                  if "later_column" in names else {c: "" for c in names}])
        joined_columns, joined = distances.join([os.path.join(folder, n) for n in ("more.tsv", "more2.tsv")])
        self.assertEqual((joined_columns, [r["later_column"] for r in joined]), (more, ["x", "x"]))
        with self.assertRaisesRegex(distances.Failure, "differ from the first batch's"):
            distances.join([os.path.join(folder, "more.tsv"), os.path.join(folder, "fewer.tsv")])
        with self.assertRaisesRegex(distances.Failure, "not a summary of pairs"):
            distances.read_rows(os.path.join(folder, "lacking.tsv"))

    def test_failed_row_keeps_names_and_reason(self):
        import pair_run
        failed = pair_run.failed_row(columns(), "p", "a", "b", "genome b:\tcannot\nbe read", "12")
        self.assertEqual(list(failed), columns())
        self.assertEqual((failed["status"], failed["note"], failed["genes_a"], failed["distance"]),
                         ("failed", "genome b: cannot be read", "12", ""))


# A stand-in for paralogs that logs its calls: `pair --columns`, and `pair
# --pairs SHEET -d DIR` making DIR/PAIR/pair.txt, a progress line and a
# summary line for each pair, distance K for the K-th, the pairs not done
# pending; it stops with exit 2 at the pair named by RP_STANDIN_STOP and
# refuses a sheet with genome q; `pair --files` names its files.
STAND_IN = """#!{python}
import csv, os, sys
args = sys.argv[1:]
with open(os.environ["RP_STANDIN_LOG"], "a") as log:
    log.write(" ".join(args) + "\\n")
columns = ["pair", "a", "b", "genes_a", "genes_b", "status", "distance", "note"]
if args == ["pair", "--columns"]:
    print("\\t".join(columns))
    sys.exit(0)
if args == ["pair", "--files"]:
    print(".paralogs-pair\\nsummary.tsv\\npair.txt")
    sys.exit(0)
with open(args[args.index("--pairs") + 1], newline="") as sheet:
    rows = list(csv.DictReader(sheet, delimiter="\\t"))
folder = args[args.index("-d") + 1]
for number, row in enumerate(rows, 2):
    if row["b"] == "q":  # a genome the program reads otherwise: refused before any pair runs
        print(f"paralogs pair: {{args[args.index('--pairs') + 1]}} line {{number}}: genome q is odd", file=sys.stderr)
        sys.exit(1)
os.makedirs(folder)
done = []
for number, row in enumerate(rows, 1):
    if row["pair"] == os.environ.get("RP_STANDIN_STOP"):
        print("paralogs pair: killed", file=sys.stderr)
        sys.exit(2)
    os.makedirs(os.path.join(folder, row["pair"]))
    with open(os.path.join(folder, row["pair"], "pair.txt"), "w") as text:
        text.write(row["a"] + " " + row["b"])
    done.append(dict(row, genes_a="5", genes_b="6", status="optimal", distance=str(number), note=""))
    with open(os.path.join(folder, "summary.tsv"), "w", newline="") as out:
        table = csv.DictWriter(out, columns, delimiter="\\t", extrasaction="ignore")
        table.writeheader()
        table.writerows(done + [dict(rest, status="pending") for rest in rows[number:]])
    print(f"paralogs pair: [{{number}}/{{len(rows)}}] {{row['pair']}}: optimal, distance {{number}}, 0.25 s",
          file=sys.stderr)
"""


class BatchJob(unittest.TestCase):
    def setUp(self):
        import collection
        self.folder = tempfile.mkdtemp(prefix="rp-batch-")
        self.addCleanup(shutil.rmtree, self.folder)
        self.program = os.path.join(self.folder, "paralogs")
        with open(self.program, "w") as text:
            text.write(STAND_IN.format(python=sys.executable))
        os.chmod(self.program, 0o755)
        self.log = os.path.join(self.folder, "calls.log")
        with open(os.path.join(self.folder, "genomes.unimog"), "w") as text:
            text.write(">x\n1 2 3 |\n>y\n1 -2 3 |\n>z\n3 2 1 |\n")
        with open(os.path.join(self.folder, "unreadable.tsv"), "w") as text:
            text.write("genome\treason\nw\tcannot read w.txt\n")
        self.pairs = ["x__y", "x__w", "y__z", "x__z"]
        collection.write_pair_list(os.path.join(self.folder, "pairs.tsv"),
                                   [(p, *p.split("__"), None) for p in self.pairs], 10)
        os.makedirs(os.path.join(self.folder, "pairs", "y__z"))
        for name in ("pair.txt", "summary.tsv", "pair.png"):
            with open(os.path.join(self.folder, "pairs", "y__z", name), "w") as text:
                text.write("an earlier run's file\n")

    def run_batch(self, stop=""):
        """(exit status, rows, times) of batch.py with the stand-in."""
        out = os.path.join(self.folder, "batches", "00001.tsv")
        os.makedirs(os.path.dirname(out), exist_ok=True)
        environment = dict(os.environ, RP_STANDIN_LOG=self.log, RP_STANDIN_STOP=stop)
        done = subprocess.run(
            [sys.executable, os.path.join(WORKFLOW, "scripts", "batch.py"), "--paralogs", self.program,
             "--list", os.path.join(self.folder, "pairs.tsv"), "--batch", "00001",
             "--pairs-dir", os.path.join(self.folder, "pairs"),
             "--collection", os.path.join(self.folder, "genomes.unimog"),
             "--collection-failed", os.path.join(self.folder, "unreadable.tsv"),
             "-o", out, "--times", os.path.join(self.folder, "batches", "00001.times.tsv"),
             "--", "--solver", "cbc"], env=environment, stderr=subprocess.PIPE, text=True)
        tables = []
        for path in (out, os.path.join(self.folder, "batches", "00001.times.tsv")):
            with open(path, newline="") as table:
                tables.append(list(csv.DictReader(table, delimiter="\t")))
        return done.returncode, tables[0], tables[1]

    def test_one_pairs_run_for_the_batch(self):
        status, rows, times = self.run_batch()
        self.assertEqual(status, 0)
        with open(self.log) as text:
            calls = text.read().splitlines()
        runs = [call for call in calls if "--pairs" in call.split()]
        self.assertEqual(len(runs), 1, calls)
        self.assertEqual(len(calls), 3, calls)  # and the columns and files, asked once
        self.assertIn(f"-s {os.path.join(self.folder, 'genomes.unimog')}", runs[0])
        self.assertTrue(runs[0].endswith("--solver cbc"), runs[0])
        with open(os.path.join(self.folder, "batches", "00001.pairs.tsv"), newline="") as table:
            sheet = list(csv.DictReader(table, delimiter="\t"))
        self.assertEqual([(r["pair"], r["genomes"], r["a"], r["b"]) for r in sheet],
                         [("x__y", "", "x", "y"), ("y__z", "", "y", "z"), ("x__z", "", "x", "z")])
        self.assertEqual([(r["pair"], r["status"], r["distance"]) for r in rows],
                         [("x__y", "optimal", "1"), ("x__w", "failed", ""), ("y__z", "optimal", "2"),
                          ("x__z", "optimal", "3")])
        self.assertEqual(rows[1]["note"], "genome w: cannot read w.txt")
        self.assertEqual([(t["pair"], t["seconds"]) for t in times],
                         [("x__y", "0.250"), ("x__w", "0.000"), ("y__z", "0.250"), ("x__z", "0.250")])
        pairs = os.path.join(self.folder, "pairs")
        self.assertEqual(sorted(os.listdir(os.path.join(pairs, "y__z"))), ["pair.log", "pair.txt"])
        with open(os.path.join(pairs, "x__z", "pair.txt")) as text:
            self.assertEqual(text.read(), "x z")
        with open(os.path.join(pairs, "x__w", "pair.log")) as text:
            self.assertIn("cannot read w.txt", text.read())
        with open(os.path.join(pairs, "y__z", "pair.log")) as text:
            self.assertIn("[2/3] y__z: optimal", text.read())
        self.assertEqual(sorted(os.listdir(os.path.join(self.folder, "batches"))),
                         ["00001.pairs.tsv", "00001.times.tsv", "00001.tsv"])

    def test_a_run_that_stops_fails_the_rest_not_the_batch(self):
        status, rows, times = self.run_batch(stop="y__z")
        self.assertEqual(status, 0)
        self.assertEqual([(r["pair"], r["status"]) for r in rows],
                         [("x__y", "optimal"), ("x__w", "failed"), ("y__z", "failed"), ("x__z", "failed")])
        for failed in rows[2:]:
            self.assertEqual(failed["note"], "paralogs pair --pairs exited with 2: paralogs pair: killed")
        self.assertEqual([t["seconds"] for t in times], ["0.250", "0.000", "0.000", "0.000"])
        self.assertEqual(os.listdir(os.path.join(self.folder, "pairs", "y__z")), ["pair.log"])

    def test_a_folder_not_the_workflows_fails_its_pair_and_stays(self):
        theirs = os.path.join(self.folder, "pairs", "x__z")
        os.makedirs(theirs)
        with open(os.path.join(theirs, "thesis.tex"), "w") as text:
            text.write("years of work\n")
        status, rows, _ = self.run_batch()
        self.assertEqual(status, 0)
        self.assertEqual([(r["pair"], r["status"]) for r in rows],
                         [("x__y", "optimal"), ("x__w", "failed"), ("y__z", "optimal"), ("x__z", "failed")])
        self.assertIn("x__z holds thesis.tex, which the workflow did not write", rows[3]["note"])
        self.assertEqual(os.listdir(theirs), ["thesis.tex"])
        self.assertFalse(os.path.exists(os.path.join(self.folder, "batches", "00001.work")))

    def test_a_refused_pair_fails_and_the_rest_run(self):
        import collection
        with open(os.path.join(self.folder, "genomes.unimog"), "a") as text:
            text.write(">q\n1 2 |\n")
        pairs = ["x__y", "y__q", "x__z"]
        collection.write_pair_list(os.path.join(self.folder, "pairs.tsv"),
                                   [(p, *p.split("__"), None) for p in pairs], 10)
        status, rows, _ = self.run_batch()
        self.assertEqual(status, 0)
        self.assertEqual([(r["pair"], r["status"], r["distance"]) for r in rows],
                         [("x__y", "optimal", "1"), ("y__q", "failed", ""), ("x__z", "optimal", "2")])
        self.assertIn("line 3: genome q is odd", rows[1]["note"])
        with open(self.log) as text:
            self.assertEqual(sum("--pairs" in call.split() for call in text.read().splitlines()), 2)


class Outputs(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="rp-outputs-")
        self.addCleanup(shutil.rmtree, self.folder)

    def test_a_failed_write_keeps_the_old_file_and_leaves_no_temporary(self):
        import output_file
        path = os.path.join(self.folder, "table.tsv")
        output_file.write_text(path, "old\n")
        def binary_given_text():
            with output_file.replaced(path, binary=True) as out:
                out.write(b"new bytes, then ")
                out.write("text")

        writes = [
            ("text", lambda: output_file.write_tsv(path, ["a"], [{"a": 1}, {"b": 2}])),  # a key not a column
            ("binary", binary_given_text),
        ]
        for kind, write in writes:
            with self.subTest(kind=kind):
                with self.assertRaises((ValueError, TypeError)):
                    write()
                with open(path) as text:
                    self.assertEqual(text.read(), "old\n")
                self.assertEqual(os.listdir(self.folder), ["table.tsv"])

    def test_a_replacement_keeps_the_mode_and_a_new_file_takes_the_umask(self):
        import output_file
        old = os.path.join(self.folder, "old.txt")
        output_file.write_text(old, "1")
        os.chmod(old, 0o604)
        mask = os.umask(0o027)
        try:
            output_file.write_text(old, "2")
            output_file.write_text(os.path.join(self.folder, "new.txt"), "3")
        finally:
            os.umask(mask)
        self.assertEqual(oct(os.stat(old).st_mode & 0o777), oct(0o604))
        self.assertEqual(oct(os.stat(os.path.join(self.folder, "new.txt")).st_mode & 0o777), oct(0o640))

    def test_a_pair_folder_with_a_temporary_of_the_workflows_is_still_its_own(self):
        import collection
        import output_file
        pair = os.path.join(self.folder, "p")
        os.makedirs(pair)
        output_file.write_text(os.path.join(pair, "pair.log"), "log\n")
        killed = ("import os, signal, output_file\n"
                  f"with output_file.replaced({os.path.join(pair, 'pair.png')!r}) as out:\n"
                  "    out.write('half a picture')\n"
                  "    os.kill(os.getpid(), signal.SIGKILL)\n")
        done = subprocess.run([sys.executable, "-c", killed], cwd=os.path.join(WORKFLOW, "scripts"))
        self.assertEqual(done.returncode, -9)
        left = [name for name in os.listdir(pair) if name != "pair.log"]
        self.assertEqual(len(left), 1)
        self.assertEqual(output_file.temporary_of(left[0]), "pair.png")
        self.assertEqual(collection.free_pair_folder(pair, [".paralogs-pair", "pair.log", "pair.png"]), "")
        self.assertFalse(os.path.exists(pair))


class Matrix(unittest.TestCase):
    def setUp(self):
        self.ROWS = [row("p1", "a", "b", "3"), row("p2", "a", "c", "4.5"),
                     row("p3", "b", "c", "", status="failed"), row("p4", "c", "d", "2"),
                     row("p5", "a", "d", "7"), row("p6", "b", "d", "1")]

    def test_matrix_symmetric_zero_diagonal_missing(self):
        import distances
        names, values = distances.matrix(self.ROWS)
        self.assertEqual(names, ["a", "b", "c", "d"])
        for i, j in itertools.product(range(4), repeat=2):
            self.assertEqual(values[i][j], values[j][i])
        self.assertEqual([values[i][i] for i in range(4)], [0.0] * 4)
        self.assertIsNone(values[1][2])
        self.assertEqual(values[0][2], 4.5)
        with self.assertRaisesRegex(distances.Failure, "two distances"):
            distances.matrix(self.ROWS + [row("again", "b", "a", "5")])

    def test_tsv_round_trip_and_missing(self):
        import distances
        import output_file
        names, values = distances.matrix(self.ROWS)
        text = distances.tsv_text(names, values)
        self.assertEqual(text.splitlines()[2], "b\t3\t0\tNA\t1")
        folder = tempfile.mkdtemp(prefix="rp-matrix-")
        path = os.path.join(folder, "m.tsv")
        output_file.write_text(path, text)
        self.assertEqual(distances.read_tsv_matrix(path), (names, values))

    def test_phylip_read_back_by_fields(self):
        import distances
        long_names = [row("p", "a_rather_long_name", "b", "2.25")]
        for rows in (self.ROWS, long_names):
            names, values = distances.matrix(rows)
            lines = distances.phylip_text(names, values).splitlines()
            width = max(10, max(len(name) + 1 for name in names))
            self.assertEqual(int(lines[0]), len(names))
            for line, name, wanted in zip(lines[1:], names, values):
                fields = line.split()
                self.assertEqual(fields[0], name)
                self.assertEqual([None if f == "-1" else float(f) for f in fields[1:]], wanted)
                self.assertEqual(line[:width], name.ljust(width), "names padded to one width")
                self.assertNotEqual(line[width], " ")
        with self.assertRaisesRegex(distances.Failure, "blanks"):
            distances.phylip_text(["a b"], [[0.0]])

    def test_complete_part_leaves_out_the_fewest_found(self):
        import distances
        names, values = distances.matrix(self.ROWS)
        kept, square, left = distances.complete_part(names, values)
        self.assertEqual(len(left), 1)
        self.assertIn(left[0], ("b", "c"))
        self.assertTrue(all(value is not None for line in square for value in line))
        # every genome of a broken one's pairs missing: only it is left out
        rng = random.Random(4)
        for _ in range(20):
            count = rng.randint(3, 8)
            broken = rng.randrange(count)
            full = [[None if broken in (i, j) and i != j else float(abs(i - j)) for j in range(count)]
                    for i in range(count)]
            kept, _, left = distances.complete_part([str(i) for i in range(count)], full)
            self.assertEqual(left, [str(broken)])


class Heatmap(unittest.TestCase):
    def test_colour_bar_clears_the_row_labels(self):
        import io
        from Bio import Phylo
        import plots
        for names in (["g1", "g2", "g3"],
                      [f"plasmid_{i}_of_a_long_named_collection_{'x' * 12 * i}" for i in range(1, 5)],
                      [f"genome_{i:03d}_with_a_long_name" for i in range(70)]):  # drawn as an image
            with self.subTest(longest=max(map(len, names)), count=len(names)):
                values = [[None if i == j + 1 else abs(i - j) * 3.0 for j in range(len(names))]
                          for i in range(len(names))]
                tree = Phylo.read(io.StringIO("(" + ",".join(names) + ");"), "newick")
                figure, bar = plots.heatmap_figure(names, values, tree)
                figure.canvas.draw()
                bar_box = bar.ax.get_window_extent()
                labels = [label for label in figure.axes[1].get_yticklabels() if label.get_text()]
                self.assertEqual({label.get_text() for label in labels}, set(names))
                for label in labels:
                    self.assertFalse(label.get_window_extent().overlaps(bar_box), label.get_text())
                plots.plt.close(figure)


class Generator(unittest.TestCase):
    def run_generator(self, folder, seed):
        done = subprocess.run([sys.executable, os.path.join(HERE, "evolve.py"), "--genomes", "5",
                               "--genes", "30", "--events", "3", "--seed", str(seed), "-o",
                               os.path.join(folder, f"c{seed}.unimog"), "--tree", os.path.join(folder, f"t{seed}.nwk"),
                               "--split", os.path.join(folder, f"split{seed}")], stderr=subprocess.PIPE, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        with open(os.path.join(folder, f"c{seed}.unimog")) as text, open(os.path.join(folder, f"t{seed}.nwk")) as tree:
            return text.read(), tree.read()

    def test_seeded_and_complete(self):
        import collection
        folder = tempfile.mkdtemp(prefix="rp-evolve-")
        first, tree = self.run_generator(folder, 7)
        again, tree_again = self.run_generator(folder, 7)
        other, _ = self.run_generator(folder, 8)
        self.assertEqual((first, tree), (again, tree_again))
        self.assertNotEqual(first, other)
        genomes = collection.parse_unimog(first)
        self.assertEqual([name for name, _ in genomes], ["g01", "g02", "g03", "g04", "g05"])
        for name, _ in genomes:
            self.assertIn(name, tree)
        split = ""
        for name, _ in genomes:
            with open(os.path.join(folder, "split7", f"{name}.unimog")) as one:
                split += one.read()
        self.assertEqual(split, first)
        if PARALOGS:  # the tool reads what the generator writes
            read = collection.read_genomes(PARALOGS, os.path.join(folder, "c7.unimog"))
            families = [(name, [m if m in "|)" else m.rpartition(".")[0] for m in text.split()])
                        for name, text in read]
            self.assertEqual(families, [(name, text.split()) for name, text in genomes])


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--workflow", required=True)
    parser.add_argument("--paralogs", default="")
    args, rest = parser.parse_known_args()
    WORKFLOW = os.path.abspath(args.workflow)
    PARALOGS = args.paralogs
    sys.path.insert(0, os.path.join(WORKFLOW, "scripts"))
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
