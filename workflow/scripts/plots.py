#!/usr/bin/env python3
"""The workflow's pictures (matplotlib), each as PNG and SVG.

  plots.py heatmap --matrix DISTANCES.tsv --tree TREE.nwk -o PREFIX
      the distance matrix as a heatmap, rows and columns in the order of the
      tree's leaves, the tree beside it; missing distances grey.
  plots.py pair --resolved RESOLVED.unimog --summary BATCH.tsv --pair PAIR -o PREFIX
      genomes A and B of a pair after resolving, chromosome by chromosome:
      matched genes joined by a line, conserved adjacencies marked, genes
      without a partner (indels) in red. A failed pair: its reason.

Writes PREFIX.png and PREFIX.svg. In the SVG, text stays text and every
heatmap cell (up to 60 genomes), gene and matching line carries an id
(cell_I_J, gene_A_K, match_K) so that the pictures can be checked."""

import argparse
import csv
import os
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.patches import Rectangle  # noqa: E402
from Bio import Phylo  # noqa: E402

import collection  # noqa: E402
import distances  # noqa: E402
import output_file  # noqa: E402

plt.rcParams["svg.fonttype"] = "none"
plt.rcParams["svg.hashsalt"] = "paralogs"  # the same ids from run to run
CELL_IDS_UP_TO = 60


def save(figure, prefix, tight=True):
    output_file.save_figure(figure, prefix, dpi=120, bbox_inches="tight" if tight else None)
    plt.close(figure)


def tree_layout(tree, order):
    """(x, y) of every clade: x the distance from the root (negative branches
    drawn as 0), y the leaf's row in `order`, an inner clade's the middle of
    its children's."""
    places = {}

    def place(clade, x):
        x += max(clade.branch_length or 0.0, 0.0)
        if clade.is_terminal():
            places[clade] = (x, float(order.index(clade.name)))
        else:
            ys = [place(child, x)[1] for child in clade.clades]
            places[clade] = (x, (min(ys) + max(ys)) / 2)
        return places[clade]

    place(tree.root, 0.0)
    return places


def draw_tree(axes, tree, order):
    places = tree_layout(tree, order)
    for clade, (x, y) in places.items():
        if clade.is_terminal():
            continue
        ys = [places[child][1] for child in clade.clades]
        axes.plot([x, x], [min(ys), max(ys)], color="black", linewidth=1)
        for child in clade.clades:
            cx, cy = places[child]
            axes.plot([x, cx], [cy, cy], color="black", linewidth=1)
    axes.set_ylim(len(order) - 0.5, -0.5)
    axes.axis("off")


def heatmap_figure(names, values, tree):
    """The heatmap of matrix `values` (rows and columns `names`) beside
    `tree`: returns the figure and its colour bar."""
    leaves = [clade.name for clade in tree.get_terminals()]
    order = leaves + [name for name in names if name not in leaves]
    index = [names.index(name) for name in order]
    count = len(order)
    size = min(2 + 0.35 * count, 40)
    figure, (tree_axes, axes) = plt.subplots(
        1, 2, figsize=(size * 1.3 + 2, size), gridspec_kw={"width_ratios": [1, 3], "wspace": 0.02})
    draw_tree(tree_axes, tree, order)
    known = [value for row in values for value in row if value is not None]
    top = max(known + [1.0])
    colours = plt.get_cmap("viridis")
    if count > CELL_IDS_UP_TO:  # one image: a patch per cell is slow for hundreds of genomes
        shown = [[float("nan") if values[i][j] is None else values[i][j] for j in index] for i in index]
        axes.imshow(shown, cmap=colours.with_extremes(bad="lightgrey"), vmin=0, vmax=top,
                    interpolation="nearest", aspect="auto")
    for row, i in enumerate(index):
        for column, j in enumerate(index) if count <= CELL_IDS_UP_TO else ():
            value = values[i][j]
            cell = Rectangle((column - 0.5, row - 0.5), 1, 1, linewidth=0,
                             facecolor="lightgrey" if value is None else colours(value / top))
            cell.set_gid(f"cell_{row}_{column}")
            axes.add_patch(cell)
            if count <= 15:
                axes.text(column, row, "NA" if value is None else distances.shown(value, "NA"),
                          ha="center", va="center", fontsize=7,
                          color="black" if value is None or value > top / 2 else "white")
    axes.set_xlim(-0.5, count - 0.5)
    axes.set_ylim(count - 0.5, -0.5)
    axes.set_xticks(range(count), order, rotation=90, fontsize=8)
    axes.set_yticks(range(count), order, fontsize=8)
    axes.yaxis.tick_right()
    axes.set_title(f"{count} genomes: distances and neighbour-joining tree", fontsize=10)
    mappable = plt.cm.ScalarMappable(cmap=colours, norm=plt.Normalize(0, top))
    return figure, colour_bar_beyond_labels(figure, axes, mappable)


def colour_bar_beyond_labels(figure, axes, mappable):
    """A colour bar right of `axes` and of its row labels (drawn on the
    right), however long the genome names are: its place is measured from
    the labels' drawn extent."""
    figure.canvas.draw()
    inverse = figure.transFigure.inverted()
    right = axes.get_position().x1
    for label in axes.get_yticklabels():
        if label.get_text():
            right = max(right, inverse.transform(label.get_window_extent().corners())[:, 0].max())
    box = axes.get_position()
    width = box.width / 30  # the bar, and its gap to the labels
    bar_axes = figure.add_axes([right + width, box.y0 + 0.2 * box.height, width, 0.6 * box.height])
    return figure.colorbar(mappable, cax=bar_axes, label="distance")


def heatmap(args):
    names, values = distances.read_tsv_matrix(args.matrix)
    figure, _ = heatmap_figure(names, values, Phylo.read(args.tree, "newick"))
    save(figure, args.o)


def pair_figure(args):
    with open(args.summary, newline="") as table:
        row = next((row for row in csv.DictReader(table, delimiter="\t") if row["pair"] == args.pair), {})
    genomes = []
    if os.path.exists(args.resolved) and row.get("status") != "failed":
        with open(args.resolved) as text:
            genomes = collection.parse_unimog(text.read(), args.resolved)
    if len(genomes) != 2:
        figure = plt.figure(figsize=(8, 1.5))
        figure.text(0.02, 0.5, f"pair {row.get('pair', '?')}: {row.get('status', 'no summary')}: "
                    f"{row.get('note', '')}", fontsize=9, va="center", wrap=True)
        save(figure, args.o, tight=False)
        return
    layout = [collection.chromosomes_of(text) for _, text in genomes]
    labels = [{label for chromosome, _ in genome for _, label in chromosome} for genome in layout]
    shared = labels[0] & labels[1]
    shared_only = [collection.restricted(genome, shared) for genome in layout]
    conserved = collection.adjacencies(shared_only[0]) & collection.adjacencies(shared_only[1])
    width = max(sum(len(c) + 1 for c, _ in genome) for genome in layout)
    figure, axes = plt.subplots(figsize=(min(4 + 0.25 * width, 60), 3.2))
    where = [{}, {}]
    for side, (genome, y) in enumerate(zip(layout, (1.0, 0.0))):
        x = 0
        for number, (genes, circular) in enumerate(genome):
            start = x
            for sign, label in genes:
                indel = label not in shared
                gene = Rectangle((x + 0.05, y - 0.15), 0.9, 0.3, linewidth=0.5, edgecolor="black",
                                 facecolor="tomato" if indel else "lightsteelblue")
                gene.set_gid(f"gene_{'AB'[side]}_{len(where[side])}")
                axes.add_patch(gene)
                axes.annotate("", xy=(x + (0.9 if sign > 0 else 0.1), y), xytext=(x + (0.1 if sign > 0 else 0.9), y),
                              arrowprops={"arrowstyle": "->", "linewidth": 0.6})
                where[side][label] = x + 0.5
                if width <= 60:  # small genomes: the genes' labels
                    axes.text(x + 0.5, y + (0.2 if side == 0 else -0.2), label, ha="center",
                              va="bottom" if side == 0 else "top", fontsize=6, rotation=90)
                x += 1
            axes.text((start + x) / 2, y + (0.55 if side == 0 else -0.6), f"{'circular' if circular else 'linear'} {number + 1}",
                      ha="center", fontsize=7, color="dimgrey")
            x += 1
        for genes, circular in shared_only[side]:
            for first, second in collection.neighbours(genes, circular):
                ends = sorted((where[side][first[1]], where[side][second[1]]))
                if collection.adjacency(first, second) in conserved and ends[1] - ends[0] < 4:
                    y_mark = y - 0.22 if side == 0 else y + 0.22
                    axes.plot([ends[0] + 0.2, ends[1] - 0.2], [y_mark, y_mark], color="seagreen", linewidth=2.5)
    for number, label in enumerate(sorted(shared, key=lambda label: where[0][label])):
        line, = axes.plot([where[0][label], where[1][label]], [0.85, 0.15], color="grey", linewidth=0.6)
        line.set_gid(f"match_{number}")
    axes.set_yticks([1, 0], [genomes[0][0], genomes[1][0]])
    axes.set_xlim(-0.5, width + 0.5)
    axes.set_ylim(-0.9, 1.8)
    axes.set_xticks([])
    for spine in axes.spines.values():
        spine.set_visible(False)
    axes.plot([], [], color="grey", label="matched genes")
    axes.plot([], [], color="seagreen", linewidth=2.5, label="conserved adjacency")
    axes.add_patch(Rectangle((0, 0), 0, 0, facecolor="tomato", label="indel (no partner)"))
    axes.legend(loc="upper center", bbox_to_anchor=(0.5, 0.0), fontsize=7, ncol=3, frameon=False)
    axes.set_title(f"pair {row.get('pair', '')}: {row.get('measure', '')} distance {row.get('distance', '')} "
                   f"({row.get('status', '')}), {len(shared)} matched genes", fontsize=9)
    save(figure, args.o)


def main():
    parser = argparse.ArgumentParser(description="The workflow's pictures.")
    commands = parser.add_subparsers(dest="command", required=True)
    heat = commands.add_parser("heatmap")
    heat.add_argument("--matrix", required=True)
    heat.add_argument("--tree", required=True)
    heat.add_argument("-o", required=True)
    pair = commands.add_parser("pair")
    pair.add_argument("--resolved", required=True)
    pair.add_argument("--summary", required=True)
    pair.add_argument("--pair", required=True)
    pair.add_argument("-o", required=True)
    args = parser.parse_args()
    try:
        heatmap(args) if args.command == "heatmap" else pair_figure(args)
    except (distances.Failure, collection.Failure, OSError, ValueError) as failure:
        print(f"plots: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
