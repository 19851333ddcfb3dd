#!/usr/bin/env python3
"""A collection of genomes evolved along a known tree, seeded: a root genome
of families (some with several copies) in linear and circular chromosomes,
changed along every branch by inversions, translocations (a segment moved to
another place or chromosome), duplications of segments and indels.

  evolve.py --genomes N --genes G --events E --seed S -o COLLECTION.unimog
            --tree TRUE.nwk [--split FOLDER]

E events per branch on average (each branch draws between E/2 and 3E/2).
The leaves are g01, g02, ...; the true tree (topology and event counts as
branch lengths) goes to TRUE.nwk. --split also writes each genome to its own
file FOLDER/NAME.unimog. UniMoG markers are family names (f12, -f12).
The workflow's tests and benchmarks use it; the workflow does not."""

import argparse
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "workflow", "scripts"))
from output_file import write_text  # noqa: E402


def root_genome(rng, genes, chromosomes=3):
    labels, family = [], 0
    while len(labels) < genes:
        family += 1
        labels.extend([f"f{family}"] * (1 if rng.random() < 0.85 else rng.choice((2, 2, 3))))
    labels = labels[:genes]
    rng.shuffle(labels)
    signed = [(rng.choice((1, -1)), label) for label in labels]
    cuts = sorted(rng.sample(range(1, genes), chromosomes - 1))
    bounds = [0] + cuts + [genes]
    return [[signed[bounds[i]:bounds[i + 1]], i == chromosomes - 1] for i in range(chromosomes)], family


def segment(rng, chromosome, longest):
    i = rng.randrange(len(chromosome))
    return i, min(len(chromosome), i + rng.randint(1, longest))


class Evolver:
    def __init__(self, rng, families):
        self.rng = rng
        self.families = families

    def event(self, genome):
        rng = self.rng
        chromosome = rng.choice([c for c in genome if c[0]])[0]
        kind = rng.random()
        if kind < 0.45:  # inversion
            i, j = segment(rng, chromosome, 30)
            chromosome[i:j] = [(-s, f) for s, f in reversed(chromosome[i:j])]
        elif kind < 0.65:  # translocation: a segment moved, maybe to another chromosome
            i, j = segment(rng, chromosome, 15)
            moved = chromosome[i:j]
            del chromosome[i:j]
            target = rng.choice(genome)[0]
            k = rng.randint(0, len(target))
            target[k:k] = moved
        elif kind < 0.75:  # duplication of a short segment elsewhere
            i, j = segment(rng, chromosome, 3)
            copied = list(chromosome[i:j])
            target = rng.choice(genome)[0]
            k = rng.randint(0, len(target))
            target[k:k] = copied
        elif kind < 0.87:  # deletion
            if sum(len(c) for c, _ in genome) > 10:
                i, j = segment(rng, chromosome, 3)
                del chromosome[i:j]
        else:  # insertion of new families
            new = []
            for _ in range(rng.randint(1, 3)):
                self.families += 1
                new.append((rng.choice((1, -1)), f"f{self.families}"))
            k = rng.randint(0, len(chromosome))
            chromosome[k:k] = new

    def branch(self, genome, events):
        copy = [[list(genes), circular] for genes, circular in genome]
        for _ in range(events):
            self.event(copy)
        return [c for c in copy if c[0]]


def random_tree(rng, leaves):
    """A random binary tree as nested lists: clades joined two at a time."""
    clades = [f"g{number:02d}" for number in range(1, leaves + 1)]
    while len(clades) > 1:
        rng.shuffle(clades)
        clades = clades[2:] + [[clades[0], clades[1]]]
    return clades[0]


def evolve(rng, tree, genome, evolver, events, lengths):
    """{leaf: genome}; lengths[clade id] gets each branch's event count."""
    if isinstance(tree, str):
        return {tree: genome}
    leaves = {}
    for child in tree:
        count = rng.randint(max(1, events // 2), events * 3 // 2)
        lengths[id(child)] = count
        leaves.update(evolve(rng, child, evolver.branch(genome, count), evolver, events, lengths))
    return leaves


def newick(tree, lengths):
    if isinstance(tree, str):
        return f"{tree}:{lengths.get(id(tree), 0)}"
    inner = ",".join(newick(child, lengths) for child in tree)
    return f"({inner})" + (f":{lengths[id(tree)]}" if id(tree) in lengths else "")


def unimog(name, genome):
    lines = [f">{name}"]
    for genes, circular in genome:
        lines.append(" ".join(f if s > 0 else f"-{f}" for s, f in genes) + (" )" if circular else " |"))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--genomes", type=int, default=8)
    parser.add_argument("--genes", type=int, default=200)
    parser.add_argument("--events", type=int, default=10)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("-o", required=True)
    parser.add_argument("--tree", required=True)
    parser.add_argument("--split", default="")
    args = parser.parse_args()
    if args.genomes < 2 or args.genes < 10 or args.events < 0:
        parser.error("at least 2 genomes of 10 genes, and events not negative")
    rng = random.Random(args.seed)
    root, families = root_genome(rng, args.genes)
    tree = random_tree(rng, args.genomes)
    lengths = {}
    leaves = evolve(rng, tree, root, Evolver(rng, families), args.events, lengths)
    names = sorted(leaves)
    write_text(args.o, "".join(unimog(name, leaves[name]) for name in names))
    write_text(args.tree, newick(tree, lengths) + ";\n")
    if args.split:
        os.makedirs(args.split, exist_ok=True)
        for name in names:
            write_text(os.path.join(args.split, f"{name}.unimog"), unimog(name, leaves[name]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
