#!/usr/bin/env python3
"""The neighbour-joining tree of a distance matrix (Biopython's), in Newick.

  tree.py --matrix DISTANCES.tsv -o TREE.nwk

Genomes with missing distances are left out (the one missing most first)
until the rest is complete; they are named on standard error. Fewer than
three genomes left: the tree joins them at one node."""

import argparse
import os
import sys

from Bio import Phylo
from Bio.Phylo.BaseTree import Clade, Tree
from Bio.Phylo.TreeConstruction import DistanceMatrix, DistanceTreeConstructor

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import distances  # noqa: E402
import output_file  # noqa: E402


def write_newick(path, tree):
    """The tree in Newick, without Biopython's inner names (they mean
    nothing to readers)."""
    for clade in tree.get_nonterminals():
        clade.name = None
    with output_file.replaced(path) as out:
        Phylo.write(tree, out, "newick")


def nj_tree(names, values):
    """The neighbour-joining tree of a complete matrix, rooted as Biopython
    leaves it; negative branch lengths are kept as they come."""
    if len(names) < 3:
        return Tree(Clade(clades=[Clade(branch_length=(values[0][1] / 2 if len(names) == 2 else 0),
                                        name=name) for name in names]), rooted=False)
    lower = [[values[i][j] for j in range(i + 1)] for i in range(len(names))]
    return DistanceTreeConstructor().nj(DistanceMatrix(names, lower))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--matrix", required=True)
    parser.add_argument("-o", required=True)
    args = parser.parse_args()
    try:
        names, values = distances.read_tsv_matrix(args.matrix)
        kept, square, left = distances.complete_part(names, values)
        if left:
            print(f"tree: left out for missing distances: {' '.join(left)}", file=sys.stderr)
        write_newick(args.o, nj_tree(kept, square))
        print(f"tree: {len(kept)} genomes", file=sys.stderr)
    except (distances.Failure, OSError, ValueError) as failure:
        print(f"tree: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
