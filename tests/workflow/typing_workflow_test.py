#!/usr/bin/env python3
"""The typing (pairs: related) with the real Snakemake, paralogs and CBC on
generated collections whose communities are known (generate_collection.py):

- every pair of one community is kept by the prefilter and computed optimal,
  and the communities found are the true ones;
- adding a community's worth of genomes (and renaming one genome and its
  file) computes only the new pairs, counted, leaves every file of the pairs
  already computed untouched, and gives the communities of the whole; a new
  time limit computes every pair again;
- a prefilter that skips pairs of a community: they are computed in the
  completion, the community's matrix complete;
- a solver that fails on every pair gives failed rows and a complete run.

  typing_workflow_test.py --workflow DIR --build DIR
  typing_workflow_test.py --browser SCREENSHOT.png --workflow DIR --build DIR
      a small typing's report.html opened in headless Chromium: no console
      message, one table row per computed pair, nothing loaded from outside;
      its screenshot kept at SCREENSHOT.png

Exit 0 passed, 1 failed, 77 skipped (snakemake, cbc, chromium, paralogs
related or the workflow's Python packages missing)."""

import argparse
import functools
import html.parser
import itertools
import os
import re
import subprocess
import sys
import tempfile

import harness
from harness import table

HERE = os.path.dirname(os.path.abspath(__file__))
MARKERS = 40


def generate(scratch, folder, communities, members, first, seed=2):
    """{genome: community} of a generated collection, one file per genome in
    scratch/folder."""
    truth = os.path.join(scratch, f"{folder}.truth.tsv")
    subprocess.run([sys.executable, os.path.join(HERE, "generate_collection.py"),
                    "--communities", str(communities), "--members", str(members), "--markers", str(MARKERS),
                    "--seed", str(seed), "--first-community", str(first),
                    "-o", os.path.join(scratch, f"{folder}.unimog"), "--truth", truth,
                    "--split", os.path.join(scratch, folder)], check=True, capture_output=True)
    return {row["genome"]: row["community"] for row in table(truth)}


def partition(assignment):
    groups = {}
    for genome, community in assignment.items():
        groups.setdefault(community, set()).add(genome)
    return sorted((frozenset(group) for group in groups.values()), key=sorted)


def snakemake(args, run, config_lines, results="results"):
    config = os.path.join(run, f"{results}.yaml")
    with open(config, "w") as out:
        out.write("\n".join(config_lines) + f"\nresults: {results}\nbuild: {args.build}\n")
    return harness.snakemake(args.workflow, run, "--configfile", config)


def typing_config(files):
    return ["genomes:"] + [f"  - {path}" for path in files] + [
        "pairs: related", "distance: dcj", "time_limit: 120", "batch_size: 4"]


def store_files(results):
    """{path: modification time in ns} of every file of the store of pairs."""
    found = {}
    for folder, _, names in os.walk(os.path.join(results, "store")):
        for name in names:
            path = os.path.join(folder, name)
            found[path] = os.stat(path).st_mtime_ns
    return found


def computed_rows(results):
    return table(os.path.join(results, "summary.tsv")) + table(os.path.join(results, "typing",
                                                                               "completion.summary.tsv"))


def check_typing(check, results, truth, label):
    """Every pair of a true community kept and optimal; the communities."""
    related = {frozenset((row["a"], row["b"])) for row in table(os.path.join(results, "typing", "related.tsv"))}
    rows = {frozenset((row["a"], row["b"])): row for row in table(os.path.join(results, "summary.tsv"))}
    inside = [frozenset(pair) for pair in itertools.combinations(sorted(truth), 2)
              if truth[min(pair)] == truth[max(pair)]]
    check(all(pair in related for pair in inside), f"{label}: a pair of one community is not related: "
          f"{[sorted(p) for p in inside if p not in related][:3]}")
    not_optimal = [sorted(pair) for pair in inside if rows.get(pair, {}).get("status") != "optimal"]
    check(not not_optimal, f"{label}: pairs of one community not optimal: {not_optimal[:3]}")
    found = {row["genome"]: row["community"] for row in table(os.path.join(results, "communities.tsv"))}
    check(partition(found) == partition(truth), f"{label}: communities {partition(found)} are not {partition(truth)}")
    check(os.path.getsize(os.path.join(results, "report.html")) > 0, f"{label}: no report.html")


def rename_genome(path, old, new):
    """The genome renamed inside its file, and the file renamed: the same
    content under another name and path."""
    with open(path) as text:
        content = text.read().replace(f">{old}\n", f">{new}\n")
    renamed = os.path.join(os.path.dirname(path), f"{new}.unimog")
    with open(renamed, "w") as out:
        out.write(content)
    os.remove(path)
    return renamed


def containments(path):
    """{frozenset(a, b): containment} of every pair of a UniMoG file,
    computed here from the family sets."""
    genomes, name = {}, None
    with open(path) as text:
        for line in text:
            if line.startswith(">"):
                name = line[1:].strip()
                genomes[name] = set()
            elif name:
                genomes[name] |= {marker.lstrip("-") for marker in line.split() if marker not in ("|", ")")}
    return {frozenset((a, b)): len(genomes[a] & genomes[b]) / min(len(genomes[a]), len(genomes[b]))
            for a, b in itertools.combinations(genomes, 2)}


def check_completion(args, scratch, check):
    """A prefilter that skips pairs (min_containment 1: a community of six
    whose pairs of containment 1 join them all, ten of its fifteen pairs):
    every pair within a community found is computed all the same, those the
    prefilter skipped in the completion."""
    generate(scratch, "strict", 1, 6, 1, seed=5)
    skipped = [pair for pair, value in containments(os.path.join(scratch, "strict.unimog")).items() if value < 1]
    check(len(skipped) == 5, f"strict prefilter: the generator changed: {len(skipped)} pairs below 1, not 5")
    done = snakemake(args, scratch, typing_config([os.path.join(scratch, "strict.unimog")])
                     + ["min_containment: 1"], results="strict")
    if not check.ran(done, "strict prefilter"):
        return
    results = os.path.join(scratch, "strict")
    related = {frozenset((r["a"], r["b"])) for r in table(os.path.join(results, "typing", "related.tsv"))}
    found = {}
    for row in table(os.path.join(results, "communities.tsv")):
        found.setdefault(row["community"], []).append(row["genome"])
    inside = {frozenset(pair) for group in found.values() for pair in itertools.combinations(group, 2)}
    completed = {frozenset((r["a"], r["b"])): r
                 for r in table(os.path.join(results, "typing", "completion.summary.tsv"))}
    check(completed and set(completed) == inside - related,
          f"strict prefilter: completed {sorted(map(sorted, completed))}, expected {sorted(map(sorted, inside - related))}")
    check(all(row["status"] == "optimal" for row in completed.values()), "strict prefilter: a completed pair not optimal")
    rows = computed_rows(results)
    matrix = table(os.path.join(results, "communities", "C001", "distances.tsv"))
    check(len(rows) == len(related) + len(completed) and all("NA" not in row.values() for row in matrix),
          "strict prefilter: the community's matrix is not complete")


def run_typing(args, scratch, check):
    truth = generate(scratch, "genomes", 3, 3, 1)
    added = generate(scratch, "added", 1, 3, 4)
    files = [os.path.join(scratch, "genomes", f"{name}.unimog") for name in sorted(truth)]
    done = snakemake(args, scratch, typing_config(files))
    if not check.ran(done, "first run"):
        return
    results = os.path.join(scratch, "results")
    check_typing(check, results, truth, "first run")
    before = store_files(results)
    keys_before = set(os.listdir(os.path.join(results, "store")))

    first = sorted(truth)[0]
    files[0] = rename_genome(files[0], first, "renamed")
    truth["renamed"] = truth.pop(first)
    files += [os.path.join(scratch, "added", f"{name}.unimog") for name in sorted(added)]
    truth.update(added)
    done = snakemake(args, scratch, typing_config(files))
    if not check.ran(done, "second run"):
        return
    check_typing(check, results, truth, "second run")
    new_keys = set(os.listdir(os.path.join(results, "store"))) - keys_before
    new_pairs = len(list(itertools.combinations(added, 2)))  # the new community's pairs, nothing across
    check(len(new_keys) == new_pairs, f"second run: {len(new_keys)} pairs computed, not {new_pairs}")
    plan = table(os.path.join(results, "typing", "related.plan.tsv"))
    new_in_plan = [row for row in plan if row["a"] in added or row["b"] in added]
    check({row["key"] for row in new_in_plan} == new_keys, "second run: the new keys are not the new pairs'")
    after = store_files(results)
    touched = [path for path, mtime in before.items() if after.get(path) != mtime]
    check(not touched, f"second run: files of pairs already computed changed: {touched[:3]}")
    check(any(row["a"] == "renamed" or row["b"] == "renamed" for row in plan), "second run: no pair of the renamed")

    # a setting that changes the answers (the time limit): every pair again, under new keys
    keys_before = set(os.listdir(os.path.join(results, "store")))
    done = snakemake(args, scratch, typing_config(files)[:-2] + ["time_limit: 119", "batch_size: 4"])
    if not check.ran(done, "new time limit"):
        return
    plan = table(os.path.join(results, "typing", "related.plan.tsv"))
    new_keys = set(os.listdir(os.path.join(results, "store"))) - keys_before
    check({row["key"] for row in plan} <= new_keys, "new time limit: pairs reused from the old limit")

    check_completion(args, scratch, check)

    failing = typing_config(files[:4]) + ["solver: custom", "solver_command: 'exit 3'"]
    done = snakemake(args, scratch, failing, results="failing")
    if not check.ran(done, "failing solver"):
        return
    rows = table(os.path.join(scratch, "failing", "summary.tsv"))
    check(rows and all(row["status"] == "failed" and row["note"] for row in rows),
          f"failing solver: not every pair a failed row with a reason: {[(r['pair'], r['status']) for r in rows]}")
    with open(os.path.join(scratch, "failing", "report.html")) as page:
        text = page.read()
    check(all(row["pair"] in text.split("<h2>Failed</h2>")[1].split("<h2>")[0] for row in rows),
          "failing solver: the report does not list every failed pair")


class Rows(html.parser.HTMLParser):
    """The rows of the body of table#pairs, and every src and href."""

    def __init__(self):
        super().__init__()
        self.inside, self.body, self.rows, self.links = False, False, 0, []

    def handle_starttag(self, tag, attributes):
        attributes = dict(attributes)
        self.links += [attributes[name] for name in ("src", "href") if attributes.get(name)]
        if tag == "table":
            self.inside = attributes.get("id") == "pairs"
        elif tag == "tbody" and self.inside:
            self.body = True
        elif tag == "tr" and self.body:
            self.rows += 1

    def handle_endtag(self, tag):
        if tag == "tbody":
            self.body = False


CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync"]


def run_browser(args, scratch, check):
    truth = generate(scratch, "genomes", 2, 3, 1, seed=5)
    files = [os.path.join(scratch, "genomes", f"{name}.unimog") for name in sorted(truth)]
    done = snakemake(args, scratch, typing_config(files))
    if not check.ran(done):
        return
    report = os.path.join(scratch, "results", "report.html")
    url = "file://" + report
    profile = tempfile.mkdtemp(prefix="profile-", dir=scratch)
    done = subprocess.run(CHROMIUM + [f"--user-data-dir={profile}", "--enable-logging=stderr", "--v=0",
                                      "--dump-dom", url], capture_output=True, text=True, timeout=120)
    check(done.returncode == 0, f"chromium exited with {done.returncode}")
    console = [line for line in done.stderr.splitlines() if ":CONSOLE" in line]
    check(not console, f"console messages: {console[:3]}")
    dom = Rows()
    dom.feed(done.stdout)
    computed = len(computed_rows(os.path.join(scratch, "results")))
    check(computed > 0 and dom.rows == computed, f"the page's table has {dom.rows} rows, {computed} pairs computed")
    outside = [link for link in dom.links if re.match(r"(https?:)?//", link)]
    check(not outside, f"the page loads from outside: {outside[:3]}")
    os.makedirs(os.path.dirname(os.path.abspath(args.browser)), exist_ok=True)
    profile = tempfile.mkdtemp(prefix="profile-", dir=scratch)
    subprocess.run(CHROMIUM + [f"--user-data-dir={profile}", "--window-size=1280,1600",
                               f"--screenshot={os.path.abspath(args.browser)}", url],
                   capture_output=True, timeout=120)
    check(os.path.exists(args.browser), f"no screenshot {args.browser}")
    print(f"screenshot: {os.path.abspath(args.browser)}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--browser", default="", help="the report in Chromium; its screenshot to this path")
    parser.add_argument("--keep", action="store_true", help="keep the run's folder")
    args = harness.parse(parser)
    skip = harness.skip_reason(("snakemake", "cbc") + (("chromium",) if args.browser else ()), args.build,
                               (("related", None), ("pair", "--pairs")), ("Bio", "matplotlib", "networkx"))
    return harness.run("rp-typing-", functools.partial(run_browser if args.browser else run_typing, args),
                       skip, args.keep)


if __name__ == "__main__":
    sys.exit(main())
