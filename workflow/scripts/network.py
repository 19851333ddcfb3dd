#!/usr/bin/env python3
"""The network of a typed collection as one picture (PNG and SVG): every
genome a dot coloured by its community, a line for every pair at distance
<= T. Each community is laid out on its own (networkx's spring layout,
fixed seed) and the communities are packed in rows, largest first, each
labelled with its number and size, so that a thousand genomes stay
readable; genome names are written only for small collections.

  network.py --communities COMMUNITIES.tsv --threshold T -o PREFIX SUMMARY.tsv..."""

import argparse
import math
import os
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import networkx  # noqa: E402
from matplotlib.collections import LineCollection  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import communities  # noqa: E402
import output_file  # noqa: E402
import store  # noqa: E402

plt.rcParams["svg.fonttype"] = "none"
plt.rcParams["svg.hashsalt"] = "paralogs"
NAMES_UP_TO = 60


def groups_of(table):
    """[(community number, [genome, ...])] in the table's order."""
    groups = {}
    for row in table:
        groups.setdefault(int(row["community"]), []).append(row["genome"])
    return sorted(groups.items())


def community_graph(group, edges, threshold):
    """The community's close pairs, an edge weighing T + 1 - distance."""
    graph = networkx.Graph()
    graph.add_nodes_from(group)
    graph.add_weighted_edges_from((a, b, threshold + 1 - distance) for a, b, distance in edges)
    return graph


def community_layout(graph, seed):
    """{genome: (x, y)} within a unit disc (a single genome at the centre);
    closer pairs pull harder."""
    if graph.number_of_nodes() == 1:
        return {next(iter(graph.nodes)): (0.0, 0.0)}
    return {name: (float(x), float(y))
            for name, (x, y) in networkx.spring_layout(graph, seed=seed, iterations=60).items()}


def packed(groups, graphs, seed=communities.SEED):
    """{genome: (x, y)} and [(number, size, (x, y) of its label)]: each
    community scaled by the root of its size and placed in rows."""
    places, labels = {}, []
    radii = [0.6 + math.sqrt(len(group)) * 0.5 for _, group in groups]
    # rows about as wide as the communities' area is tall
    width = max(math.sqrt(sum((2 * r + 0.4) ** 2 for r in radii)) * 1.3, max(radii) * 2)
    x = y = row_height = 0.0
    for (number, group), radius in zip(groups, radii):
        if x > 0 and x + 2 * radius > width:
            x, y, row_height = 0.0, y - row_height - 0.8, 0.0
        centre = (x + radius, y - radius)
        for name, (px, py) in community_layout(graphs[number], seed).items():
            places[name] = (centre[0] + px * (radius - 0.3), centre[1] + py * (radius - 0.3))
        labels.append((number, len(group), (centre[0], y + 0.15)))
        x += 2 * radius + 0.4
        row_height = max(row_height, 2 * radius)
    return places, labels


def colour(colours, number):
    """tab20's strong colours first, then its light ones."""
    index = (number - 1) % 20
    return colours(2 * index % 20 + (index >= 10))


def draw(table, rows, threshold, prefix):
    groups = groups_of(table)
    community = {row["genome"]: int(row["community"]) for row in table}
    edges_of = {}
    for a, b, distance in communities.close_pairs(rows, threshold):
        if a in community and community.get(b) == community[a]:
            edges_of.setdefault(community[a], []).append((a, b, distance))
    graphs = {number: community_graph(group, edges_of.get(number, []), threshold) for number, group in groups}
    places, labels = packed(groups, graphs)
    xs = [x for x, _ in places.values()] or [0]
    ys = [y for _, y in places.values()] or [0]
    span_x, span_y = max(xs) - min(xs) + 2, max(ys) - min(ys) + 2
    side = min(14.0, max(5.0, math.sqrt(len(places)) * 1.1))  # inches: text stays legible when shown
    scale = side / max(span_x, span_y)
    figure, axes = plt.subplots(figsize=(max(span_x * scale, 4), max(span_y * scale, 3) + 0.6))
    colours = plt.get_cmap("tab20")
    for number, graph in graphs.items():
        # every close pair faint, the closest ones that join the community (its
        # maximum spanning tree by closeness) drawn plainly; one collection of
        # lines each, as thousands of lines one by one are slow to draw
        spanning = {frozenset(edge) for edge in networkx.maximum_spanning_tree(graph).edges}
        for kind, alpha, width in (("faint", 0.12, 0.3), ("tree", 0.7, 0.8)):
            segments = [(places[a], places[b]) for a, b in graph.edges
                        if (frozenset((a, b)) in spanning) == (kind == "tree")]
            if segments:
                lines = LineCollection(segments, colors=[colour(colours, number)], alpha=alpha,
                                       linewidths=width, zorder=1)
                lines.set_gid(f"{kind}_{number}")
                axes.add_collection(lines)
    dot = max(12.0, 2500.0 / max(len(places), 1)) if len(places) > NAMES_UP_TO else 60.0
    for number, group in groups:
        axes.scatter([places[n][0] for n in group], [places[n][1] for n in group], s=min(dot, 120.0),
                     color=colour(colours, number), edgecolors="black", linewidths=0.3, zorder=2,
                     gid=f"community_{number}")
        if len(places) <= NAMES_UP_TO:
            for name in group:
                axes.annotate(name, places[name], fontsize=6, xytext=(3, 3), textcoords="offset points")
    for number, size, (x, y) in labels:
        if size > 1 or len(labels) <= 40:
            axes.text(x, y, f"C{number} ({size})", ha="center", va="bottom", fontsize=7)
    axes.set_aspect("equal")
    axes.axis("off")
    # above the axes and their community labels, whatever the picture's size
    figure.suptitle(f"{len(places)} genomes in {len(groups)} communities (pairs at distance <= {threshold:g})",
                    fontsize=10, y=1.0, va="bottom")
    output_file.save_figure(figure, prefix, dpi=150, bbox_inches="tight")
    plt.close(figure)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--communities", required=True)
    parser.add_argument("--threshold", type=float, required=True)
    parser.add_argument("-o", required=True)
    parser.add_argument("summaries", nargs="+")
    args = parser.parse_args()
    try:
        _, table = store.read_tsv(args.communities)
        rows = [row for path in args.summaries for row in store.read_tsv(path)[1]]
        draw(table, rows, args.threshold, args.o)
    except (OSError, KeyError, ValueError) as failure:
        print(f"network: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
