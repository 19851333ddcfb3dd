#!/usr/bin/env python3
"""The typing's own logic without Snakemake or a solver: the generator of
collections with known communities (and the prefilter's default against a
containment computed here by brute force), the keys of the store of pairs,
the plan of missing keys, a batch job with a stand-in `paralogs`, the
communities against a union-find of our own, and the report's table.

  typing_test.py --workflow DIR

Runs under the Python that has networkx and matplotlib (the one Snakemake
runs); exit 77 when there is none."""

import argparse
import itertools
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

import harness

WORKFLOW = ""


def families(genes):
    return {label for _, label in genes}


def containment(one, other):
    """Distinct families in both over those of the genome with fewer."""
    return len(one & other) / min(len(one), len(other))


class Generator(unittest.TestCase):
    def test_seeded_circular_and_communities_share_only_mobile_families(self):
        import generate_collection as generator
        genomes = generator.generate(4, 5, markers=80, mobile=3, seed=7)
        self.assertEqual(genomes, generator.generate(4, 5, markers=80, mobile=3, seed=7))
        self.assertNotEqual(genomes, generator.generate(4, 5, markers=80, mobile=3, seed=8))
        self.assertEqual(len(genomes), 20)
        mobile = {"m1", "m2", "m3"}
        for name, community, lineage, genes in genomes:
            self.assertTrue(mobile <= families(genes), name)
            self.assertTrue(60 <= len(genes) <= 100, (name, len(genes)))
            self.assertIn(lineage, (1, 2))
        for (a, ca, _, ga), (b, cb, _, gb) in itertools.combinations(genomes, 2):
            if ca != cb:
                self.assertEqual(families(ga) & families(gb), mobile, (a, b))

    def test_unimog_is_one_circular_chromosome(self):
        import generate_collection as generator
        text = generator.unimog("p1", [(1, "a"), (-1, "b")])
        self.assertEqual(text, ">p1\na -b )\n")

    def test_default_containment_keeps_every_pair_of_a_community_and_no_other(self):
        # the workflow's default min_containment, 0.5, on collections like the benchmark's
        import generate_collection as generator
        for seed in (1, 2, 3):
            genomes = generator.generate(6, 6, markers=150, seed=seed)
            for (a, ca, _, ga), (b, cb, _, gb) in itertools.combinations(genomes, 2):
                value = containment(families(ga), families(gb))
                if ca == cb:
                    self.assertGreaterEqual(value, 0.5, (seed, a, b))
                else:
                    self.assertLess(value, 0.5, (seed, a, b))

    def test_later_communities_have_names_and_families_of_their_own(self):
        import generate_collection as generator
        first = generator.generate(2, 3, markers=40, seed=5)
        later = generator.generate(1, 3, markers=40, seed=5, first_community=3)
        self.assertFalse({g[0] for g in first} & {g[0] for g in later})
        self.assertEqual({g[1] for g in later}, {3})
        for _, _, _, genes in first:
            for _, _, _, other in later:
                self.assertEqual(families(genes) & families(other), {"m1", "m2", "m3"})


class Keys(unittest.TestCase):
    SETTINGS = dict(distance="dcj", model="maximum", bounds_path="", solver="cbc", time_limit=60)

    def test_a_pair_key_ignores_order_names_and_blanks(self):
        import store
        keys = store.genome_keys([("x", "a -b c )\n"), ("y", "a  b c )\n"), ("renamed", " a -b  c )\n")])
        self.assertEqual(keys["x"], keys["renamed"])
        self.assertNotEqual(keys["x"], keys["y"])
        settings = store.settings_text(**self.SETTINGS)
        one, swap_one = store.pair_key(keys["x"], keys["y"], settings)
        other, swap_other = store.pair_key(keys["y"], keys["renamed"], settings)
        self.assertEqual(one, other)
        self.assertNotEqual(swap_one, swap_other)

    def test_every_setting_that_changes_an_answer_changes_the_key(self):
        import store
        base = store.settings_text(**self.SETTINGS)
        with tempfile.NamedTemporaryFile("w", suffix=".bounds", delete=False) as bounds:
            bounds.write("a 1 1\n")
        try:
            changes = [("distance", "breakpoint"), ("model", "exemplar"), ("bounds_path", bounds.name),
                       ("solver", "glpsol"), ("time_limit", 61)]
            seen = {base}
            for name, value in changes:
                changed = store.settings_text(**dict(self.SETTINGS, **{name: value}))
                self.assertNotIn(changed, seen, name)
                seen.add(changed)
                self.assertNotEqual(store.pair_key("k1", "k2", changed)[0], store.pair_key("k1", "k2", base)[0])
        finally:
            os.remove(bounds.name)


def sheet_row(a, b):
    import collection
    return {"pair": collection.pair_name(a, b), "genomes": "", "a": a, "b": b, "containment": "1", "jaccard": "1"}


def store_line(folder, key, status):
    import store
    os.makedirs(os.path.join(folder, key), exist_ok=True)
    store.write_tsv(os.path.join(folder, key, store.ROW), ["pair", "a", "b", "status", "distance", "note"],
                    [{"pair": key, "a": "x", "b": "y", "status": status, "distance": "3", "note": ""}])


class Plan(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="rp-typing-")
        rng = random.Random(4)
        self.genomes = [(f"g{i}", " ".join(rng.choice("abcdefgh") for _ in range(6)) + " )\n") for i in range(8)]

    def tearDown(self):
        shutil.rmtree(self.scratch)

    def test_only_missing_or_failed_keys_are_batched_each_once(self):
        import store
        rows = [sheet_row(a, b) for (a, _), (b, _) in itertools.combinations(self.genomes, 2)]
        folder = os.path.join(self.scratch, "store")
        lines = store.plan(self.genomes, rows, folder, "s")
        self.assertEqual(len(lines), 28)
        for number, line in enumerate(lines[:10]):
            store_line(folder, line["key"], "failed" if number % 3 == 0 else "optimal")
        lines = store.plan(self.genomes, rows, folder, "s")
        stored = {line["key"] for number, line in enumerate(lines[:10]) if number % 3}
        self.assertEqual({line["key"] for line in lines if line["stored"] == "yes"}, stored)
        batches = store.todo_batches(lines, 4)
        batched = [key for batch in batches.values() for key, _, _ in batch]
        self.assertEqual(sorted(batched), sorted({line["key"] for line in lines} - stored))
        self.assertTrue(all(len(batch) <= 4 for batch in batches.values()))
        # the same missing keys, the same batches (names and contents)
        self.assertEqual(store.todo_batches(list(reversed(lines)), 4), batches)

    def test_a_genome_that_could_not_be_read_is_left_out_and_names_stay_unique(self):
        import store
        rows = [sheet_row("g0", "g1"), sheet_row("g0", "lost"), sheet_row("g1", "g0")]
        lines = store.plan(self.genomes, rows, self.scratch, "s")
        self.assertEqual(len(lines), 2)
        self.assertEqual(lines[0]["key"], lines[1]["key"])
        self.assertNotEqual(lines[0]["pair"], lines[1]["pair"])


FAKE_PARALOGS = """#!/bin/sh
# stand-in for paralogs pair --pairs SHEET -s G -d DIR ...: one optimal line a
# pair (a folder with one file each); with FAIL set, nothing at all; with
# PARTIAL set, the first pair only and a crash; pair --files: its files;
# pair --columns: its columns
[ "$2" = "--files" ] && { printf '.paralogs-pair\\nsummary.tsv\\nanswer.txt\\n'; exit 0; }
[ "$2" = "--columns" ] && { printf 'pair\\ta\\tb\\tstatus\\tdistance\\tnote\\n'; exit 0; }
[ -n "$FAIL" ] && { echo "paralogs: broken on purpose" >&2; exit 2; }
while [ $# -gt 0 ]; do case $1 in --pairs) sheet=$2 ;; -d) dir=$2 ;; esac; shift; done
mkdir -p "$dir"
printf 'pair\\ta\\tb\\tstatus\\tdistance\\tnote\\n' > "$dir/summary.tsv"
tail -n +2 "$sheet" | while IFS="$(printf '\\t')" read -r pair genomes a b; do
  mkdir -p "$dir/$pair"; echo answer > "$dir/$pair/answer.txt"
  printf '%s\\t%s\\t%s\\toptimal\\t2\\t\\n' "$pair" "$a" "$b" >> "$dir/summary.tsv"
  [ -n "$PARTIAL" ] && { echo "paralogs: killed on purpose" >&2; exit 3; }
done
"""


class Batch(unittest.TestCase):
    def run_batch(self, scratch, fail, partial=False):
        import store
        program = os.path.join(scratch, "paralogs")
        with open(program, "w") as out:
            out.write(FAKE_PARALOGS)
        os.chmod(program, 0o755)
        todo = os.path.join(scratch, "todo.tsv")
        store.write_tsv(todo, ["pair", "genomes", "a", "b"],
                        [{"pair": f"k{i}", "genomes": "", "a": f"a{i}", "b": f"b{i}"} for i in range(3)])
        done = subprocess.run([sys.executable, os.path.join(WORKFLOW, "scripts", "store.py"), "batch",
                               "--paralogs", program, "--genomes", "g.unimog", "--todo", todo,
                               "--store", os.path.join(scratch, "store"), "--work", os.path.join(scratch, "work"),
                               "-o", os.path.join(scratch, "done.tsv"), "--", "--distance", "dcj"],
                              env=dict(os.environ, FAIL="1" if fail else "", PARTIAL="1" if partial else ""),
                              capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        return store.read_tsv(os.path.join(scratch, "done.tsv"))[1]

    def test_pairs_move_into_the_store_and_a_broken_run_is_rows_not_a_failure(self):
        import store
        for fail in (False, True):
            with tempfile.TemporaryDirectory(prefix="rp-batch-") as scratch:
                rows = self.run_batch(scratch, fail)
                self.assertEqual([row["pair"] for row in rows], ["k0", "k1", "k2"])
                for row in rows:
                    stored = store.stored_row(os.path.join(scratch, "store"), row["pair"])
                    self.assertEqual(stored["status"], "failed" if fail else "optimal")
                    answer = os.path.join(scratch, "store", row["pair"], "answer.txt")
                    self.assertEqual(os.path.exists(answer), not fail)
                if fail:
                    self.assertIn("broken on purpose", rows[0]["note"])
                self.assertFalse(os.path.exists(os.path.join(scratch, "work")))

    def test_a_run_cut_short_keeps_the_pairs_it_finished(self):
        import store
        with tempfile.TemporaryDirectory(prefix="rp-batch-") as scratch:
            rows = self.run_batch(scratch, fail=False, partial=True)
            self.assertEqual([row["status"] for row in rows], ["optimal", "failed", "failed"])
            self.assertIn("killed on purpose", rows[2]["note"])
            self.assertEqual(store.stored_row(os.path.join(scratch, "store"), "k0")["status"], "optimal")
            self.assertEqual(store.stored_row(os.path.join(scratch, "store"), "k1")["status"], "failed")


    def test_the_summary_is_in_the_programs_columns(self):
        # a stored line of the run, one stored with other columns (an earlier
        # version's), and a key whose row.tsv is missing
        import store
        with tempfile.TemporaryDirectory(prefix="rp-batch-") as scratch:
            self.run_batch(scratch, fail=False)
            folder = os.path.join(scratch, "store")
            os.makedirs(os.path.join(folder, "old"))
            older = ["pair", "a", "b", "status", "gone", "column", "more"]
            store.write_tsv(os.path.join(folder, "old", store.ROW), older,
                            [{"pair": "old", "a": "x", "b": "y", "status": "limit", "gone": "1", "column": "2"}])
            plan = os.path.join(scratch, "plan.tsv")
            store.write_tsv(plan, store.PLAN_COLUMNS, [{"pair": f"p{key}", "a": "a", "b": "b", "key": key}
                                                       for key in ("k0", "old", "lost")])
            done = subprocess.run([sys.executable, os.path.join(WORKFLOW, "scripts", "store.py"), "summary",
                                   "--paralogs", os.path.join(scratch, "paralogs"), "--store", folder,
                                   "-o", os.path.join(scratch, "summary.tsv"), plan], capture_output=True, text=True)
            self.assertEqual(done.returncode, 0, done.stderr)
            columns, rows = store.read_tsv(os.path.join(scratch, "summary.tsv"))
        self.assertEqual(columns, ["pair", "a", "b", "status", "distance", "note"])
        self.assertEqual([(r["pair"], r["status"], r["distance"]) for r in rows],
                         [("pk0", "optimal", "2"), ("pold", "limit", ""), ("plost", "failed", "")])
        self.assertIn("lost/row.tsv is missing", rows[2]["note"])


def union_find_groups(names, edges):
    parent = {name: name for name in names}

    def root(name):
        while parent[name] != name:
            name = parent[name]
        return name

    for a, b in edges:
        parent[root(a)] = root(b)
    groups = {}
    for name in names:
        groups.setdefault(root(name), set()).add(name)
    return sorted(groups.values(), key=lambda group: sorted(group))


class Communities(unittest.TestCase):
    def test_components_equal_a_union_find_and_missing_pairs_a_brute_force(self):
        import communities
        rng = random.Random(11)
        for _ in range(30):
            names = [f"n{i}" for i in range(rng.randint(1, 12))]
            rows = [{"a": a, "b": b, "status": rng.choice(["optimal", "optimal", "limit", "failed"]),
                     "distance": str(rng.randint(0, 9))} for a, b in itertools.combinations(names, 2)
                    if rng.random() < 0.4]
            close = [(r["a"], r["b"]) for r in rows if r["status"] != "failed" and int(r["distance"]) <= 4]
            groups = communities.find_communities(names, rows, 4)
            self.assertEqual(sorted((set(g) for g in groups), key=sorted), union_find_groups(names, close))
            self.assertEqual([len(g) for g in groups], sorted((len(g) for g in groups), reverse=True))
            known = {frozenset((r["a"], r["b"])) for r in rows}
            expected = {frozenset(p) for g in groups for p in itertools.combinations(g, 2)} - known
            self.assertEqual({frozenset(p) for p in communities.missing_pairs(groups, rows)}, expected)

    def test_subcommunities_split_two_cliques_joined_by_one_pair(self):
        import communities
        left, right = [f"l{i}" for i in range(5)], [f"r{i}" for i in range(5)]
        rows = [{"a": a, "b": b, "status": "optimal", "distance": "1"}
                for side in (left, right) for a, b in itertools.combinations(side, 2)]
        rows.append({"a": "l0", "b": "r0", "status": "optimal", "distance": "4"})
        groups = communities.find_communities(left + right, rows, 4)
        self.assertEqual(len(groups), 1)
        table = communities.community_table(groups, rows, 4)
        subs = {}
        for line in table:
            subs.setdefault(line["subcommunity"], set()).add(line["genome"])
            self.assertEqual(line["size"], "10")
        self.assertEqual(sorted(subs.values(), key=sorted), [set(left), set(right)])


class Network(unittest.TestCase):
    def test_one_group_of_dots_per_community_and_a_line_per_close_pair(self):
        import xml.etree.ElementTree as ElementTree
        import network
        table = [{"genome": g, "community": c, "subcommunity": f"{c}.1", "size": "3"}
                 for c, names in (("1", "abc"), ("2", "def"), ("3", "g")) for g in names]
        rows = [{"a": a, "b": b, "status": "optimal", "distance": d}
                for a, b, d in (("a", "b", "1"), ("b", "c", "2"), ("a", "c", "4"), ("d", "e", "3"), ("e", "f", "2"),
                                ("d", "f", "9"), ("c", "d", "9"))]
        with tempfile.TemporaryDirectory(prefix="rp-network-") as scratch:
            network.draw(table, rows, 4, os.path.join(scratch, "net"))
            tree = ElementTree.parse(os.path.join(scratch, "net.svg"))
            self.assertTrue(os.path.getsize(os.path.join(scratch, "net.png")) > 0)
        ids = [element.get("id") for element in tree.iter() if element.get("id")]
        self.assertEqual(sorted(i for i in ids if i.startswith("community_")),
                         ["community_1", "community_2", "community_3"])
        groups = [element for element in tree.iter() if element.get("id", "").startswith(("faint_", "tree_"))]
        paths = sum(1 for group in groups for element in group.iter() if element.tag.endswith("path"))
        self.assertEqual(paths, 5)  # the close pairs within communities, nothing else


class Report(unittest.TestCase):
    def test_one_table_row_per_pair_the_failed_listed_and_nothing_from_outside(self):
        import report
        rows = [{"pair": f"p{i}", "a": f"a{i}", "b": "z<b>", "status": "failed" if i == 2 else "optimal",
                 "distance": "", "note": "solver crashed" if i == 2 else ""} for i in range(5)]
        text = report.pair_table(rows) + report.failures(rows, [{"genome": "g9", "reason": "unreadable"}])
        self.assertEqual(text.count("<tr"), 6)  # header and one per pair
        self.assertIn("solver crashed", text)
        self.assertIn("g9: unreadable", text)
        self.assertNotIn("<b>", text)
        self.assertNotIn("http", report.SCRIPT + report.STYLE)


def main():
    global WORKFLOW
    parser = argparse.ArgumentParser()
    parser.add_argument("--workflow", required=True)
    args, rest = parser.parse_known_args()
    WORKFLOW = os.path.abspath(args.workflow)
    try:
        import networkx  # noqa: F401
        import matplotlib  # noqa: F401
    except ImportError:
        interpreter = harness.snakemake_python()
        if interpreter and not os.environ.get("RP_TYPING_REEXEC") \
                and os.path.realpath(interpreter[0]) != os.path.realpath(sys.executable):
            os.environ["RP_TYPING_REEXEC"] = "1"
            os.execv(interpreter[0], interpreter + [os.path.abspath(__file__)] + sys.argv[1:])
        print("skipped: no Python with networkx and matplotlib (make deps installs them)")
        return 77
    sys.path.insert(0, os.path.join(WORKFLOW, "scripts"))
    program = unittest.main(argv=[sys.argv[0]] + rest, exit=False)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
