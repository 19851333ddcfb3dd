#!/usr/bin/env python3
"""Communities of a typed collection: genomes joined by a pair at distance
<= T are one community (connected components); within a community,
sub-communities by networkx's Louvain method (fixed seed) on the pairs at
distance <= T, weighted by how close they are.

  communities.py complete --genomes GENOMES.unimog --summary SUMMARY.tsv --threshold T -o SHEET.tsv
      the pairs of each community that the summary lacks (the prefilter
      skipped them), as a pairs sheet, so that each community's matrix is
      complete.
  communities.py write --genomes GENOMES.unimog --threshold T [--seed S] --folder DIR
                       -o COMMUNITIES.tsv SUMMARY.tsv...
      COMMUNITIES.tsv (genome, community, subcommunity, size) and, for each
      community of two genomes or more, DIR/CNNN/distances.tsv, tree.nwk and
      heatmap.png/svg; a community whose matrix has not changed keeps its
      pictures (genomes added to others do not redraw it).

Communities are numbered from 1 by size (largest first), then by their
first genome in collection order; a genome without a close partner is a
community of its own."""

import argparse
import os
import re
import shutil
import sys

import networkx

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import collection  # noqa: E402
import output_file  # noqa: E402
import store  # noqa: E402

SEED = 1


def distance_of(row):
    """A summary line's distance, or None (failed, or none written). A pair
    stopped by its limit gives an upper bound: at or below T it still joins."""
    value = row.get("distance", "")
    if row.get("status") == "failed" or value in ("", "NA"):
        return None
    return float(value)


def close_pairs(rows, threshold):
    return [(row["a"], row["b"], distance_of(row)) for row in rows
            if distance_of(row) is not None and distance_of(row) <= threshold]


def find_communities(names, rows, threshold):
    """[[genome, ...]] in collection order within each, numbered by size
    (largest first), then by the first genome's place."""
    graph = networkx.Graph()
    graph.add_nodes_from(names)
    graph.add_edges_from((a, b) for a, b, _ in close_pairs(rows, threshold) if a in graph and b in graph)
    place = {name: number for number, name in enumerate(names)}
    groups = [sorted(component, key=place.get) for component in networkx.connected_components(graph)]
    return sorted(groups, key=lambda group: (-len(group), place[group[0]]))


def missing_pairs(groups, rows):
    """[(a, b)] of the pairs within a community that no line gives."""
    known = {frozenset((row["a"], row["b"])) for row in rows}
    return [(a, b) for group in groups for i, a in enumerate(group) for b in group[i + 1:]
            if frozenset((a, b)) not in known]


def subcommunities(group, rows, threshold, seed=SEED):
    """[[genome, ...]] of one community: Louvain on its close pairs, an
    edge weighing T + 1 - distance; ordered by size then first genome."""
    if len(group) < 3:
        return [list(group)]
    members = set(group)
    graph = networkx.Graph()
    graph.add_nodes_from(group)
    for a, b, distance in close_pairs(rows, threshold):
        if a in members and b in members:
            graph.add_edge(a, b, weight=threshold + 1 - distance)
    place = {name: number for number, name in enumerate(group)}
    found = networkx.community.louvain_communities(graph, weight="weight", seed=seed)
    parts = [sorted(part, key=place.get) for part in found]
    return sorted(parts, key=lambda part: (-len(part), place[part[0]]))


def community_table(groups, rows, threshold, seed=SEED):
    """[{genome, community, subcommunity, size}] in the order of the groups."""
    table = []
    for number, group in enumerate(groups, 1):
        for sub, part in enumerate(subcommunities(group, rows, threshold, seed), 1):
            for genome in part:
                table.append({"genome": genome, "community": str(number),
                              "subcommunity": f"{number}.{sub}", "size": str(len(group))})
    return table


def genome_names(path):
    with open(path) as text:
        return [name for name, _ in collection.parse_unimog(text.read(), path)]


def command_complete(args):
    names = genome_names(args.genomes)
    _, rows = store.read_tsv(args.summary)
    groups = find_communities(names, rows, args.threshold)
    pairs = missing_pairs(groups, rows)
    store.write_tsv(args.o, ["pair", "genomes", "a", "b"],
                           [{"pair": collection.pair_name(a, b), "genomes": "", "a": a, "b": b} for a, b in pairs])
    print(f"communities: {len(groups)}, {len(pairs)} pair(s) within them to complete", file=sys.stderr)
    return 0


def write_community(folder, group, rows):
    """The community's matrix, tree and heatmap in `folder`; a folder whose
    matrix is already this one is left as it is (False)."""
    import distances
    import tree
    os.makedirs(folder, exist_ok=True)
    members = set(group)
    inside = [row for row in rows if row["a"] in members and row["b"] in members]
    names, values = distances.matrix(inside)
    order = {name: number for number, name in enumerate(group)}
    names_sorted = sorted(names, key=order.get)
    index = [names.index(name) for name in names_sorted]
    values = [[values[i][j] for j in index] for i in index]
    matrix_path = os.path.join(folder, "distances.tsv")
    text = distances.tsv_text(names_sorted, values)
    if all(os.path.exists(os.path.join(folder, name)) for name in ("tree.nwk", "heatmap.png", "heatmap.svg")):
        with open(matrix_path) as old:
            if old.read() == text:
                return False
    output_file.write_text(matrix_path, text)
    kept, square, _ = distances.complete_part(names_sorted, values)
    tree.write_newick(os.path.join(folder, "tree.nwk"), tree.nj_tree(kept, square))
    import plots
    plots.heatmap(argparse.Namespace(matrix=matrix_path, tree=os.path.join(folder, "tree.nwk"),
                                     o=os.path.join(folder, "heatmap")))
    return True


def command_write(args):
    names = genome_names(args.genomes)
    rows = []
    for path in args.summaries:
        rows.extend(store.read_tsv(path)[1])
    groups = find_communities(names, rows, args.threshold)
    table = community_table(groups, rows, args.threshold, args.seed)
    os.makedirs(args.folder, exist_ok=True)
    drawn = 0
    wanted = {f"C{number:03d}" for number, group in enumerate(groups, 1) if len(group) >= 2}
    for name in set(os.listdir(args.folder)) - wanted:  # communities of an earlier run, nothing else
        if re.fullmatch(r"C\d{3,}", name) and os.path.isdir(os.path.join(args.folder, name)):
            shutil.rmtree(os.path.join(args.folder, name))
    for number, group in enumerate(groups, 1):
        if len(group) >= 2:
            drawn += write_community(os.path.join(args.folder, f"C{number:03d}"), group, rows)
    store.write_tsv(args.o, ["genome", "community", "subcommunity", "size"], table)
    print(f"communities: {len(groups)} ({len(wanted)} of two genomes or more, {drawn} drawn anew)",
          file=sys.stderr)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    complete = commands.add_parser("complete")
    for option in ("--genomes", "--summary", "-o"):
        complete.add_argument(option, required=True)
    complete.add_argument("--threshold", type=float, required=True)
    written = commands.add_parser("write")
    for option in ("--genomes", "--folder", "-o"):
        written.add_argument(option, required=True)
    written.add_argument("--threshold", type=float, required=True)
    written.add_argument("--seed", type=int, default=SEED)
    written.add_argument("summaries", nargs="+")
    args = parser.parse_args()
    try:
        return command_complete(args) if args.command == "complete" else command_write(args)
    except (collection.Failure, OSError, KeyError, ValueError) as failure:
        print(f"communities: {failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
