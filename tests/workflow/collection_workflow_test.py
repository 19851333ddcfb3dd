#!/usr/bin/env python3
"""The workflow on a generated collection whose true tree is known, with the
real Snakemake and CBC: genomes evolved along a random tree (evolve.py), one
file per genome, and one more file that cannot be read. Checks that every
pair of readable genomes is optimal with its score equal to its objective,
that the unreadable genome's pairs fail with a reason while everything else
completes, the matrix (symmetric, zero diagonal, NA exactly for the failed
pairs, the summary's distances) in TSV and PHYLIP, the neighbour-joining
tree against the true one (Robinson-Foulds distance 0, computed here from
the splits of both trees), the pictures (valid PNG, SVG with one cell per
pair of genomes and the names as text, one line per matched gene) and that
a second run has nothing to do.

  collection_workflow_test.py --workflow DIR --build DIR [--genomes N --genes G --events E --seed S]
  collection_workflow_test.py --dot-test --workflow DIR --build DIR
      the catalog's test configuration, .test/config/config.yaml, instead

Exit 0 passed, 1 failed, 77 skipped (snakemake, cbc, paralogs pair or the
workflow's Python packages missing)."""

import argparse
import functools
import itertools
import os
import re
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

import harness
from harness import table

HERE = os.path.dirname(os.path.abspath(__file__))
BROKEN = "g00_unreadable"


def newick_leaf_sets(text):
    """The leaf sets below every clade of a Newick tree (names, branch
    lengths and nesting only), parsed here independently of Biopython."""
    clades, stack, name = [], [], ""
    text = re.sub(r":[-0-9.eE+]+", "", text.strip().rstrip(";"))
    for character in text + ",":
        if character == "(":
            stack.append(set())
        elif character in ",)":
            if name.strip():
                leaf = {name.strip()}
                clades.append(leaf)
                (stack[-1] if stack else set()).update(leaf)
            name = ""
            if character == ")":
                done = stack.pop()
                clades.append(done)
                if stack:
                    stack[-1].update(done)
        else:
            name += character
    return clades


def splits(text, leaves):
    """The non-trivial splits of an unrooted tree, each as the side without
    the first leaf."""
    first = min(leaves)
    found = set()
    for clade in newick_leaf_sets(text):
        side = frozenset(clade) if first not in clade else frozenset(leaves - clade)
        if 1 < len(side) < len(leaves) - 1:
            found.add(side)
    return found


def robinson_foulds(one, other, leaves):
    return len(splits(one, leaves) ^ splits(other, leaves))


def png_size(path):
    with open(path, "rb") as png:
        head = png.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def svg_ids_and_texts(path):
    tree = ElementTree.parse(path)
    ids = [element.get("id") for element in tree.iter() if element.get("id")]
    texts = {"".join(element.itertext()).strip() for element in tree.iter()
             if element.tag.endswith("}text") or element.tag == "text"}
    return ids, texts


def dot_test(args, scratch, check):
    """The catalog's test run: .test/config/config.yaml in a copy of .test/
    beside the workflow; every pair optimal, the example's true tree."""
    repository = os.path.dirname(args.workflow)
    os.symlink(args.workflow, os.path.join(scratch, "workflow"))
    run = os.path.join(scratch, ".test")
    shutil.copytree(os.path.join(repository, ".test", "config"), os.path.join(run, "config"))
    done = harness.snakemake(args.workflow, run, "--configfile", os.path.join(run, "config", "config.yaml"),
                             "--config", f"build={args.build}", state=scratch)
    if not check.ran(done, ".test"):
        return
    rows = table(os.path.join(run, "results", "summary.tsv"))
    check(rows and all(row["status"] == "optimal" and row["score_equals_objective"] == "yes" for row in rows),
          f".test: not every pair optimal with its score: {[(r['pair'], r['status']) for r in rows]}")
    with open(os.path.join(args.workflow, "example", "collection.true.nwk")) as true, \
            open(os.path.join(run, "results", "tree.nwk")) as built:
        true_tree, built_tree = true.read(), built.read()
    leaves = {leaf for clade in newick_leaf_sets(true_tree) for leaf in clade}
    check(robinson_foulds(true_tree, built_tree, leaves) == 0, f".test: tree {built_tree} is not {true_tree}")
    for name in ("heatmap.png", "heatmap.svg", "pairs/g01__g02/pair.png", "distances.phy"):
        check(os.path.getsize(os.path.join(run, "results", name)) > 0, f".test: no {name}")


def run_and_check(args, scratch, check):
    genomes_dir = os.path.join(scratch, "genomes")
    subprocess.run([sys.executable, os.path.join(HERE, "evolve.py"),
                    "--genomes", str(args.genomes), "--genes", str(args.genes), "--events", str(args.events),
                    "--seed", str(args.seed), "-o", os.path.join(scratch, "all.unimog"),
                    "--tree", os.path.join(scratch, "true.nwk"), "--split", genomes_dir], check=True)
    names = [f"g{number:02d}" for number in range(1, args.genomes + 1)]
    with open(os.path.join(genomes_dir, f"{BROKEN}.unimog"), "w") as broken:
        broken.write("a chromosome line before any genome |\n")
    # the unreadable file third in the collection, so that it cuts the pairs
    order = names[:2] + [BROKEN] + names[2:]
    files = [os.path.join(genomes_dir, f"{name}.unimog") for name in order]
    good_pair, failed_pair = f"{names[0]}__{names[1]}", f"{names[0]}__{BROKEN}"
    config = os.path.join(scratch, "config.yaml")
    with open(config, "w") as out:
        out.write("genomes:\n" + "".join(f"  - {path}\n" for path in files) +
                  f"pairs: all\nresults: results\nbuild: {args.build}\nbatch_size: 5\ntime_limit: 120\n"
                  f"plot_pairs: [{good_pair}, {failed_pair}]\n")
    done = harness.snakemake(args.workflow, scratch, "--configfile", config)
    if not check.ran(done):
        return
    results = os.path.join(scratch, "results")

    # the summary: every pair in order, failed exactly where the broken genome is
    rows = table(os.path.join(results, "summary.tsv"))
    expected = list(itertools.combinations(order, 2))
    check([(row["a"], row["b"]) for row in rows] == expected, "summary: not every pair in file order")
    for row in rows:
        pair = row["pair"]
        if BROKEN in (row["a"], row["b"]):
            check(row["status"] == "failed" and row["note"] != "" and row["distance"] == "",
                  f"{pair}: the unreadable genome's pair is {row['status']} ({row['note']!r})")
            continue
        check(row["status"] == "optimal", f"{pair}: status {row['status']} ({row['note']})")
        check(row["score_equals_objective"] == "yes" and row["objective"] != ""
              and float(row["objective"]) == float(row["score"]),
              f"{pair}: score {row['score']}, objective {row['objective']}")
        check(row["measure"] == "breakpoint" and row["distance"] == row["breakpoint_distance"]
              and row["lower_bound"] == row["distance"],
              f"{pair}: distance {row['distance']}, breakpoint {row['breakpoint_distance']}, "
              f"lower bound {row['lower_bound']}")
    batches = [name for name in os.listdir(os.path.join(results, "batches")) if re.fullmatch(r"\d+\.tsv", name)]
    check(len(batches) == -(-len(expected) // 5), f"{len(batches)} batch jobs for {len(expected)} pairs by 5")

    # the matrix: the summary's distances, symmetric, zero diagonal, NA for failed
    with open(os.path.join(results, "distances.tsv")) as tsv:
        lines = [line.rstrip("\n").split("\t") for line in tsv]
    check(lines[0][1:] == order and [line[0] for line in lines[1:]] == order, "matrix: names or order")
    cells = {(order[i], order[j]): lines[i + 1][j + 1] for i in range(len(order)) for j in range(len(order))}
    for (a, b), value in cells.items():
        check(value == cells[(b, a)], f"matrix: {a},{b} is {value}, {b},{a} is {cells[(b, a)]}")
        if a == b:
            check(value == "0", f"matrix: diagonal {a} is {value}")
        elif BROKEN in (a, b):
            check(value == "NA", f"matrix: {a},{b} is {value}, not NA")
    for row in rows:
        if row["distance"]:
            check(float(cells[(row["a"], row["b"])]) == float(row["distance"]),
                  f"matrix: {row['a']},{row['b']} is not the summary's {row['distance']}")
    with open(os.path.join(results, "distances.phy")) as phylip:
        phy = [line.split() for line in phylip]
    check(int(phy[0][0]) == len(order) and [line[0] for line in phy[1:]] == order, "phylip: header or names")
    for i, line in enumerate(phy[1:]):
        for j, value in enumerate(line[1:]):
            want = cells[(order[i], order[j])]
            check(value == ("-1" if want == "NA" else want) or float(value) == float(want),
                  f"phylip: {order[i]},{order[j]} is {value}, the TSV says {want}")

    # the tree: the true topology, the unreadable genome left out
    with open(os.path.join(scratch, "true.nwk")) as true, open(os.path.join(results, "tree.nwk")) as built:
        true_tree, built_tree = true.read(), built.read()
    leaves = {leaf for clade in newick_leaf_sets(built_tree) for leaf in clade}
    check(leaves == set(names), f"tree: leaves {sorted(leaves)}")
    distance = robinson_foulds(true_tree, built_tree, set(names))
    check(distance == 0, f"tree: Robinson-Foulds distance {distance} to the true tree\n"
                         f"  true  {true_tree.strip()}\n  built {built_tree.strip()}")

    # the pictures
    for path in ("heatmap.png", "pairs/" + good_pair + "/pair.png", "pairs/" + failed_pair + "/pair.png"):
        size = png_size(os.path.join(results, path))
        check(size is not None and min(size) > 50, f"{path}: not a PNG of some size ({size})")
    ids, texts = svg_ids_and_texts(os.path.join(results, "heatmap.svg"))
    cells_drawn = [name for name in ids if name.startswith("cell_")]
    check(len(cells_drawn) == len(order) ** 2 == len(set(cells_drawn)),
          f"heatmap.svg: {len(cells_drawn)} cells for {len(order)} genomes")
    check(set(order) <= texts, f"heatmap.svg: names missing from the labels: {set(order) - texts}")
    good = next(row for row in rows if row["pair"] == good_pair)
    ids, texts = svg_ids_and_texts(os.path.join(results, "pairs", good_pair, "pair.svg"))
    matches = [name for name in ids if name.startswith("match_")]
    check(len(matches) == int(good["matched"]), f"{good_pair}: {len(matches)} lines for {good['matched']} matched")
    check({names[0], names[1]} <= texts, f"{good_pair}.svg: the genomes' names are not labels")
    check(not os.path.exists(os.path.join(results, "pairs", names[1] + "__" + names[2], "pair.png")),
          "a figure of a pair not asked for")

    # a second run has nothing to do
    done = harness.snakemake(args.workflow, scratch, "--configfile", config, "--dry-run")
    check(done.returncode == 0 and "Nothing to be done" in done.stdout,
          f"a second run would redo work:\n{done.stdout[-2000:]}")



def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dot-test", action="store_true", help="run .test/config/config.yaml instead")
    parser.add_argument("--genomes", type=int, default=8)
    parser.add_argument("--genes", type=int, default=150)
    parser.add_argument("--events", type=int, default=8)
    parser.add_argument("--seed", type=int, default=3)
    parser.add_argument("--keep", action="store_true", help="keep the run's folder")
    args = harness.parse(parser)
    skip = harness.skip_reason(("snakemake", "cbc"), args.build, modules=("Bio", "matplotlib", "numpy"))
    return harness.run("rp-collection-", functools.partial(dot_test if args.dot_test else run_and_check, args),
                       skip, args.keep)


if __name__ == "__main__":
    sys.exit(main())
