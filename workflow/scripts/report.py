#!/usr/bin/env python3
"""results/report.html: the typing of a collection on one self-contained
page (pictures inline as PNG, no outside resource, a few lines of script
to sort and filter the table of pairs).

  report.py --genomes GENOMES.unimog --unreadable UNREADABLE.tsv --related RELATED.tsv
            --communities COMMUNITIES.tsv --folder COMMUNITIES_DIR --network NETWORK.png
            --threshold T -o REPORT.html SUMMARY.tsv [COMPLETION_SUMMARY.tsv]

The first summary holds the related pairs, the second the pairs computed to
complete the communities' matrices."""

import argparse
import base64
import html
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import communities  # noqa: E402
import output_file  # noqa: E402
import store  # noqa: E402

TABLE_COLUMNS = ["pair", "a", "b", "distance", "status", "lower_bound", "wall_s", "origin", "note"]
SCRIPT = """
const table = document.getElementById('pairs'), filter = document.getElementById('filter');
filter.addEventListener('input', () => { const q = filter.value.trim();
  for (const r of table.tBodies[0].rows) r.hidden = q !== '' && !(r.cells[1].textContent.includes(q) || r.cells[2].textContent.includes(q)); });
[...table.tHead.rows[0].cells].forEach((h, i) => h.addEventListener('click', () => {
  const dir = h.dataset.dir === '1' ? -1 : 1, rows = [...table.tBodies[0].rows]; h.dataset.dir = String(dir);
  rows.sort((x, y) => { const a = x.cells[i].textContent, b = y.cells[i].textContent, na = parseFloat(a), nb = parseFloat(b);
    return dir * (isNaN(na) || isNaN(nb) ? a.localeCompare(b) : na - nb); });
  table.tBodies[0].append(...rows); }));
"""
STYLE = """
body { font-family: sans-serif; margin: 1.5em; color: #222; }
table { border-collapse: collapse; font-size: 0.85em; }
td, th { border: 1px solid #ccc; padding: 2px 6px; }
th { background: #eee; cursor: pointer; }
tr.failed td { background: #fdd; }
img { max-width: 100%; }
img.network { max-height: 640px; }
img.heatmap { max-width: min(100%, 900px); }
.counts td:first-child { font-weight: bold; }
"""


def image(path, alt, kind):
    if not os.path.exists(path):
        return f"<p>(no picture {html.escape(os.path.basename(path))})</p>"
    with open(path, "rb") as data:
        encoded = base64.b64encode(data.read()).decode()
    return f'<img class="{kind}" alt="{html.escape(alt)}" src="data:image/png;base64,{encoded}">'


def counts(genomes, unreadable, related, rows, groups):
    status = [row.get("status", "") for row in rows]
    return [("genomes", len(genomes) + len(unreadable)), ("genomes that cannot be read", len(unreadable)),
            ("pairs related (prefilter)", len(related)), ("pairs computed", len(rows)),
            ("optimal", status.count("optimal")), ("limit", status.count("limit")),
            ("failed", status.count("failed")), ("communities", len(groups)),
            ("communities of two genomes or more", sum(len(g) > 1 for g in groups))]


def pair_table(rows):
    head = "".join(f"<th>{html.escape(column)}</th>" for column in TABLE_COLUMNS)
    body = []
    for row in rows:
        cells = "".join(f"<td>{html.escape(str(row.get(column, '')))}</td>" for column in TABLE_COLUMNS)
        body.append(f'<tr class="{"failed" if row.get("status") == "failed" else ""}">{cells}</tr>')
    return (f'<p><label>Genome: <input id="filter" type="text" placeholder="name or part of it"></label> '
            f'(click a column to sort)</p><table id="pairs"><thead><tr>{head}</tr></thead>'
            f'<tbody>{"".join(body)}</tbody></table>')


def failures(rows, unreadable):
    items = [f"<li>genome {html.escape(row['genome'])}: {html.escape(row['reason'])}</li>" for row in unreadable]
    items += [f"<li>pair {html.escape(row['pair'])} ({html.escape(row['a'])}, {html.escape(row['b'])}): "
              f"{html.escape(row.get('note', '') or 'no reason given')}</li>"
              for row in rows if row.get("status") == "failed"]
    return f"<ul>{''.join(items)}</ul>" if items else "<p>None.</p>"


def community_sections(table, folder):
    groups = {}
    for row in table:
        groups.setdefault(int(row["community"]), []).append(row)
    parts, alone = [], []
    for number, members in sorted(groups.items()):
        if len(members) == 1:
            alone.append(members[0]["genome"])
            continue
        subs = {}
        for row in members:
            subs.setdefault(row["subcommunity"], []).append(row["genome"])
        listed = "".join(f"<li>{html.escape(sub)}: {html.escape(' '.join(names))}</li>" for sub, names in subs.items())
        where = os.path.join(folder, f"C{number:03d}")
        newick = ""
        if os.path.exists(os.path.join(where, "tree.nwk")):
            with open(os.path.join(where, "tree.nwk")) as text:
                newick = text.read().strip()
        parts.append(f'<section id="C{number}"><h3>Community {number}: {len(members)} genomes, '
                     f'{len(subs)} sub-communities</h3><ul>{listed}</ul>'
                     f'{image(os.path.join(where, "heatmap.png"), f"community {number}: distances and tree", "heatmap")}'
                     f'<details><summary>Neighbour-joining tree (Newick)</summary><pre>{html.escape(newick)}</pre>'
                     f'</details></section>')
    if alone:
        parts.append(f"<p>Genomes without a partner at distance &lt;= the threshold: "
                     f"{html.escape(' '.join(alone))}</p>")
    return "".join(parts)


def page(args):
    genomes = communities.genome_names(args.genomes)
    _, unreadable = store.read_tsv(args.unreadable)
    _, related = store.read_tsv(args.related)
    rows = []
    for number, path in enumerate(args.summaries):
        for row in store.read_tsv(path)[1]:
            row["origin"] = "related" if number == 0 else "completion"
            rows.append(row)
    _, table = store.read_tsv(args.communities)
    groups = communities.find_communities(genomes, rows, args.threshold)
    listed = "".join(f"<tr><td>{html.escape(name)}</td><td>{value}</td></tr>"
                     for name, value in counts(genomes, unreadable, related, rows, groups))
    return (f'<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><title>Typing of {len(genomes)} genomes'
            f'</title><style>{STYLE}</style></head><body><h1>Typing of {len(genomes)} genomes</h1>'
            f'<p>Communities: genomes joined by pairs at distance &lt;= {args.threshold:g}; sub-communities by '
            f'Louvain community detection.</p><table class="counts">{listed}</table>'
            f'<h2>Network</h2>{image(args.network, "network of the collection", "network")}'
            f'<h2>Communities</h2>{community_sections(table, args.folder)}'
            f'<h2>Failed</h2>{failures(rows, unreadable)}'
            f'<h2>Pairs computed</h2>{pair_table(rows)}<script>{SCRIPT}</script></body></html>\n')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for option in ("--genomes", "--unreadable", "--related", "--communities", "--folder", "--network", "-o"):
        parser.add_argument(option, required=True)
    parser.add_argument("--threshold", type=float, required=True)
    parser.add_argument("summaries", nargs="+")
    args = parser.parse_args()
    try:
        output_file.write_text(args.o, page(args))
    except (OSError, KeyError, ValueError) as failure:
        print(f"report: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
