#!/usr/bin/env python3
"""A collection of plasmid-like genomes with known communities, seeded.

Every genome is one circular chromosome. Each community has a backbone of
families of its own; a few mobile families are shared by every genome of
every community (some of them in several copies). A community splits into
lineages, each one event away from the backbone (or none), and every member
is a lineage plus one event: inversions, deletions, duplications of
a short segment and insertions of new families. Members of one community
are therefore a few events apart; genomes of different communities share
only the mobile families.

  generate_collection.py --communities C --members M [--markers N] [--mobile K]
                         [--seed S] -o COLLECTION.unimog --truth TRUTH.tsv
                         [--split FOLDER] [--first-community F]

TRUTH.tsv: genome, community, lineage (the generator's own grouping).
--split also writes each genome to FOLDER/NAME.unimog. Genome names are
pCCC_MMM (community, member); --first-community numbers the communities from
F, so that a later collection of new communities has names of its own.
Importable: `generate(...)` returns the genomes and their communities.
The workflow's tests and benchmarks use it; the workflow does not."""

import argparse
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "workflow", "scripts"))
from output_file import write_text  # noqa: E402

EVENTS = ("inversion", "deletion", "duplication", "insertion")


class Families:
    """Fresh family names, each community's and each insertion's own."""

    def __init__(self, prefix):
        self.prefix, self.count = prefix, 0

    def new(self):
        self.count += 1
        return f"{self.prefix}f{self.count}"


def backbone(rng, families, markers, mobile):
    """A circular chromosome of about `markers` genes: fresh families and
    the mobile ones (each in one to three copies), shuffled and signed."""
    moving = [name for name in mobile for _ in range(rng.randint(1, 3))]
    labels = [families.new() for _ in range(max(markers - len(moving), 4))] + moving
    rng.shuffle(labels)
    return [(rng.choice((1, -1)), label) for label in labels]


def segment(rng, genes, longest):
    start = rng.randrange(len(genes))
    return start, min(len(genes), start + rng.randint(1, longest))


def event(rng, genes, families, kind):
    """One event on a copy of the circular chromosome `genes`."""
    genes = list(genes)
    if kind == "inversion":
        i, j = segment(rng, genes, 20)
        genes[i:j] = [(-sign, label) for sign, label in reversed(genes[i:j])]
    elif kind == "deletion" and len(genes) > 10:
        i, j = segment(rng, genes, 3)
        del genes[i:j]
    elif kind == "duplication":
        i, j = segment(rng, genes, 3)
        k = rng.randint(0, len(genes))
        genes[k:k] = genes[i:j]
    else:  # insertion of new families (or a deletion on a chromosome too short)
        k = rng.randint(0, len(genes))
        genes[k:k] = [(rng.choice((1, -1)), families.new()) for _ in range(rng.randint(1, 3))]
    return genes


def evolved(rng, genes, families, events):
    for _ in range(events):
        genes = event(rng, genes, families, rng.choice(EVENTS))
    return genes


def generate(communities, members, markers=150, mobile=3, seed=1, first_community=1, lineages=2):
    """[(name, community, lineage, genes)] where genes is [(sign, family)] of
    one circular chromosome; communities numbered from `first_community`.
    The mobile families (m1, m2, ...) are the same for every seed."""
    rng = random.Random(seed * 1000003 + first_community)
    mobile_names = [f"m{number}" for number in range(1, mobile + 1)]
    genomes = []
    for community in range(first_community, first_community + communities):
        families = Families(f"c{community}")
        root = backbone(rng, families, markers, mobile_names)
        branches = [evolved(rng, root, families, rng.randint(0, 1)) for _ in range(lineages)]
        for member in range(1, members + 1):
            lineage = rng.randrange(lineages)
            genes = evolved(rng, branches[lineage], families, 1)
            genomes.append((f"p{community:03d}_{member:03d}", community, lineage + 1, genes))
    return genomes


def unimog(name, genes):
    return f">{name}\n" + " ".join(label if sign > 0 else f"-{label}" for sign, label in genes) + " )\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--communities", type=int, default=3)
    parser.add_argument("--members", type=int, default=4)
    parser.add_argument("--markers", type=int, default=150)
    parser.add_argument("--mobile", type=int, default=3)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--first-community", type=int, default=1)
    parser.add_argument("-o", required=True)
    parser.add_argument("--truth", required=True)
    parser.add_argument("--split", default="")
    args = parser.parse_args()
    if args.communities < 1 or args.members < 1 or args.markers < 10 or args.mobile < 0:
        parser.error("at least one community of one member, 10 markers, mobile families not negative")
    genomes = generate(args.communities, args.members, args.markers, args.mobile, args.seed,
                       args.first_community)
    write_text(args.o, "".join(unimog(name, genes) for name, _, _, genes in genomes))
    write_text(args.truth, "genome\tcommunity\tlineage\n"
          + "".join(f"{name}\t{community}\t{lineage}\n" for name, community, lineage, _ in genomes))
    if args.split:
        os.makedirs(args.split, exist_ok=True)
        for name, _, _, genes in genomes:
            write_text(os.path.join(args.split, f"{name}.unimog"), unimog(name, genes))
    print(f"generate_collection: {len(genomes)} genomes in {args.communities} communities", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
