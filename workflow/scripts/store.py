#!/usr/bin/env python3
"""Typing a collection: the store of computed pairs, the plan of the pairs
still to compute, the batch jobs and the summary of a run.

Every pair is known by its key: a digest of the content of its two genomes
(their canonical UniMoG lines, names left out) and of the settings that
change its answer (distance, model, bounds, solver, time limit). A computed
pair lives in STORE/KEY/ (row.tsv, its summary line, and the files
`paralogs pair` keeps); it is never rewritten once it holds an answer, so a
later run with more genomes, or with files renamed, reuses it as it is. A
failed pair is stored too and computed again by the next run that plans it.

  store.py plan --genomes GENOMES.unimog --sheet SHEET.tsv --store DIR --settings TEXT
                 --batch-size N --todo DIR -o PLAN.tsv
      the sheet's pairs (pair, genomes, a, b, ...) with their keys; the pairs
      missing from the store cut into batch sheets TODO/NAME.tsv, a batch's
      name the digest of its keys (the same missing pairs, the same batches).
  store.py batch --paralogs PROGRAM --genomes GENOMES.unimog --todo SHEET.tsv --store DIR
                  --work DIR -o DONE.tsv -- PAIR OPTIONS...
      `paralogs pair --pairs` on one batch sheet; each pair's folder moved
      into the store with its row.tsv; a run that ends without its summary
      stores every pair of the batch as failed with the reason.
  store.py summary --store DIR -o SUMMARY.tsv PLAN.tsv...
      the stored lines of the plans' pairs, under their names of this run."""

import argparse
import csv
import hashlib
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import collection  # noqa: E402

PLAN_COLUMNS = ["pair", "a", "b", "key", "stored", "containment", "jaccard"]
ROW = "row.tsv"
# The columns of a batch whose run ended without its summary.
FALLBACK_COLUMNS = ["pair", "a", "b", "status", "distance", "note"]


def digest(text, length=24):
    return hashlib.sha256(text.encode()).hexdigest()[:length]


def canonical(unimog_lines):
    """A genome's chromosome lines with blanks made regular: the text its
    content key is taken from."""
    return "\n".join(" ".join(line.split()) for line in unimog_lines.splitlines() if line.strip()) + "\n"


def genome_keys(genomes):
    """{name: digest of its canonical text} of [(name, UniMoG lines)]."""
    return {name: digest(canonical(text), 32) for name, text in genomes}


def settings_text(distance, model, bounds_path, solver, time_limit):
    """The settings that change a pair's answer, as one line; the bounds file
    by its content."""
    bounds = ""
    if bounds_path:
        with open(bounds_path, "rb") as data:
            bounds = hashlib.sha256(data.read()).hexdigest()
    return f"distance={distance};model={model};bounds={bounds};solver={solver};time_limit={time_limit}"


def pair_key(key_a, key_b, settings):
    """(key, swap): the pair's key, the same in either order, and whether the
    pair is computed B first (the genome of the smaller content key is A)."""
    first, second = sorted((key_a, key_b))
    return digest(f"{first}|{second}|{settings}"), key_a > key_b


def read_tsv(path):
    with open(path, newline="") as table:
        reader = csv.DictReader(table, delimiter="\t")
        return reader.fieldnames or [], list(reader)


def write_tsv(path, columns, rows):
    with open(path + ".tmp", "w", newline="") as out:
        table = csv.DictWriter(out, columns, delimiter="\t", lineterminator="\n", extrasaction="ignore")
        table.writeheader()
        table.writerows(rows)
    os.replace(path + ".tmp", path)


def stored_row(store, key):
    """The stored summary line of a key, or None."""
    path = os.path.join(store, key, ROW)
    if not os.path.exists(path):
        return None
    _, rows = read_tsv(path)
    return rows[0] if rows else None


def plan(genomes, sheet_rows, store, settings):
    """The sheet's pairs as plan lines (A the genome of the smaller content
    key), unique pair names, and whether each key holds an answer."""
    keys = genome_keys(genomes)
    lines, taken = [], set()
    for row in sheet_rows:
        a, b = row["a"], row["b"]
        if a not in keys or b not in keys:
            continue  # a genome that could not be read: listed by the collection
        key, swap = pair_key(keys[a], keys[b], settings)
        if swap:
            a, b = b, a
        name = collection.pair_name(a, b)
        number = 2
        while name in taken:
            name, number = f"{collection.pair_name(a, b)}.{number}", number + 1
        taken.add(name)
        row_stored = stored_row(store, key)
        lines.append({"pair": name, "a": a, "b": b, "key": key,
                      "stored": "yes" if row_stored and row_stored.get("status") != "failed" else "no",
                      "containment": row.get("containment", ""), "jaccard": row.get("jaccard", "")})
    return lines


def todo_batches(lines, size):
    """{batch name: [(key, a, b)]} of the keys without an answer, each once,
    in key order; a batch's name is the digest of its keys."""
    missing = sorted({(line["key"], line["a"], line["b"]) for line in lines if line["stored"] == "no"})
    unique, seen = [], set()
    for key, a, b in missing:
        if key not in seen:
            seen.add(key)
            unique.append((key, a, b))
    return {digest(" ".join(key for key, _, _ in batch), 16): batch
            for batch in collection.batches(unique, size)} if unique else {}


def write_todo(folder, batches):
    os.makedirs(folder, exist_ok=True)
    for name, batch in batches.items():
        write_tsv(os.path.join(folder, f"{name}.tsv"), ["pair", "genomes", "a", "b"],
                  [{"pair": key, "genomes": "", "a": a, "b": b} for key, a, b in batch])


def read_genomes_file(path):
    with open(path) as text:
        return collection.parse_unimog(text.read(), path)


def command_plan(args):
    genomes = read_genomes_file(args.genomes)
    _, rows = read_tsv(args.sheet)
    lines = plan(genomes, rows, args.store, args.settings)
    batches = todo_batches(lines, args.batch_size)
    write_todo(args.todo, batches)
    write_tsv(args.o, PLAN_COLUMNS, lines)
    missing = sum(len(batch) for batch in batches.values())
    print(f"plan: {len(lines)} pairs, {len(lines) - missing} stored, {missing} to compute "
          f"in {len(batches)} batch(es)", file=sys.stderr)
    return 0


def failed_rows(todo_rows, columns, reason):
    rows = []
    for todo in todo_rows:
        row = {column: "" for column in columns}
        row.update(pair=todo["pair"], a=todo["a"], b=todo["b"], status="failed",
                   note=" ".join(str(reason).split()))
        rows.append(row)
    return rows


def run_batch(args, options):
    """`paralogs pair --pairs` on the batch: (columns, rows in sheet order).
    A run that ends without a pair's line (killed, crashed) leaves that pair
    failed with the reason; the lines it wrote are kept."""
    _, todo_rows = read_tsv(args.todo)
    collection.clear_run_folder(args.work, args.files)
    os.makedirs(args.work, exist_ok=True)
    command = [args.paralogs, "pair", "--pairs", args.todo, "-s", args.genomes, "-d", args.work, *options]
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    sys.stderr.write(done.stderr)
    columns, by_pair = FALLBACK_COLUMNS, {}
    summary = os.path.join(args.work, "summary.tsv")
    if os.path.exists(summary):
        columns, rows = read_tsv(summary)
        by_pair = {row["pair"]: row for row in rows if row.get("status") != "pending"}
    lines = done.stderr.strip().splitlines()
    reason = f"paralogs pair --pairs exited with {done.returncode}: {lines[-1] if lines else 'no message'}"
    return columns, [by_pair.get(todo["pair"]) or failed_rows([todo], columns, reason)[0] for todo in todo_rows]


def store_pair(store, work, columns, row, files):
    """The pair's folder moved into STORE/KEY with its row.tsv; an earlier
    (failed) entry of the key is replaced. The row, failed with the reason
    when the key's folder holds files not the workflow's (it is then not
    stored)."""
    key = row["pair"]
    target = os.path.join(store, key)
    taken = collection.free_pair_folder(target, files)
    if taken:
        return failed_rows([row], columns, taken)[0]
    source = os.path.join(work, key)
    if os.path.isdir(source):
        os.replace(source, target)
    else:
        os.makedirs(target)
    write_tsv(os.path.join(target, ROW), columns, [row])
    return row


def command_batch(args, options):
    args.files = collection.road_files(args.paralogs)
    columns, rows = run_batch(args, options)
    os.makedirs(args.store, exist_ok=True)
    rows = [store_pair(args.store, args.work, columns, row, args.files) for row in rows]
    write_tsv(args.o, columns, rows)
    collection.clear_run_folder(args.work, args.files)
    failed = sum(row["status"] == "failed" for row in rows)
    print(f"batch: {len(rows)} pairs, {failed} failed", file=sys.stderr)
    return 0


def summary_rows(store, lines):
    """(columns, rows): the stored line of every plan line, under its name
    and genomes of this run."""
    columns, rows = None, []
    for line in lines:
        path = os.path.join(store, line["key"], ROW)
        if not os.path.exists(path):  # its folder held files not the workflow's
            row_columns, stored = FALLBACK_COLUMNS, [{"status": "failed", "note": f"{path} is missing"}]
        else:
            row_columns, stored = read_tsv(path)
        if not stored:
            raise collection.Failure(f"{path}: no summary line")
        if columns is None or len(row_columns) > len(columns):
            columns = row_columns  # a failed batch's lines have fewer columns
        row = dict(stored[0])
        row.update(pair=line["pair"], a=line["a"], b=line["b"])
        rows.append(row)
    return columns or FALLBACK_COLUMNS, rows


def command_summary(args):
    lines = []
    for path in args.plans:
        lines.extend(read_tsv(path)[1])
    columns, rows = summary_rows(args.store, lines)
    write_tsv(args.o, columns, rows)
    failed = sum(row["status"] == "failed" for row in rows)
    print(f"summary: {len(rows)} pairs, {failed} failed", file=sys.stderr)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    planned = commands.add_parser("plan")
    for option in ("--genomes", "--sheet", "--store", "--settings", "--todo", "-o"):
        planned.add_argument(option, required=True)
    planned.add_argument("--batch-size", type=int, required=True)
    batch = commands.add_parser("batch")
    for option in ("--paralogs", "--genomes", "--todo", "--store", "--work", "-o"):
        batch.add_argument(option, required=True)
    batch.add_argument("options", nargs=argparse.REMAINDER)
    summary = commands.add_parser("summary")
    summary.add_argument("--store", required=True)
    summary.add_argument("-o", required=True)
    summary.add_argument("plans", nargs="+")
    args = parser.parse_args()
    try:
        if args.command == "plan":
            return command_plan(args)
        if args.command == "batch":
            options = args.options[1:] if args.options[:1] == ["--"] else args.options
            return command_batch(args, options)
        return command_summary(args)
    except (collection.Failure, OSError, KeyError) as failure:
        print(f"store: {failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
