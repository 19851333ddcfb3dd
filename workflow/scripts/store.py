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
      `paralogs pair --pairs` on one batch sheet (pair_run.run_sheet, the
      sheet it runs WORK.pairs.tsv until the end); each pair's folder moved
      into the store with its row.tsv; a pair the run ends without stored
      as failed with the reason.
  store.py summary --paralogs PROGRAM --store DIR -o SUMMARY.tsv PLAN.tsv...
      the stored lines of the plans' pairs, under their names of this run,
      in the columns of `paralogs pair --columns`."""

import argparse
import csv
import hashlib
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import collection  # noqa: E402
import output_file  # noqa: E402
import pair_run  # noqa: E402

PLAN_COLUMNS = ["pair", "a", "b", "key", "stored", "containment", "jaccard"]
ROW = "row.tsv"


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
    """The store's tables: a key not in `columns` left out."""
    output_file.write_tsv(path, columns, rows, ignore_extra=True)


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


def run_batch(args, program, options):
    """The batch's rows in sheet order, from one `paralogs pair --pairs` run."""
    _, todo_rows = read_tsv(args.todo)
    sheet = args.work.rstrip("/") + ".pairs.tsv"
    os.makedirs(os.path.dirname(os.path.abspath(sheet)), exist_ok=True)
    try:
        outcomes = pair_run.run_sheet(program, sheet, [(todo, todo["a"], todo["b"]) for todo in todo_rows],
                                      args.work, options, args.genomes)
    finally:
        if os.path.exists(sheet):
            os.remove(sheet)
    return [row for row, _, _ in outcomes]


def store_pair(store, work, program, row):
    """The pair's folder moved into STORE/KEY with its row.tsv; an earlier
    (failed) entry of the key is replaced. The row, failed with the reason
    when the key's folder holds files not the workflow's (it is then not
    stored)."""
    key = row["pair"]
    target = os.path.join(store, key)
    taken = collection.free_pair_folder(target, program.files)
    if taken:
        return pair_run.failed_row(program.columns, key, row["a"], row["b"], taken)
    source = os.path.join(work, key)
    if os.path.isdir(source):
        os.replace(source, target)
    else:
        os.makedirs(target)
    write_tsv(os.path.join(target, ROW), program.columns, [row])
    return row


def command_batch(args, options):
    program = pair_run.Program(args.paralogs)
    rows = run_batch(args, program, options)
    os.makedirs(args.store, exist_ok=True)
    rows = [store_pair(args.store, args.work, program, row) for row in rows]
    write_tsv(args.o, program.columns, rows)
    collection.clear_run_folder(args.work, program.files)
    failed = sum(row["status"] == "failed" for row in rows)
    print(f"batch: {len(rows)} pairs, {failed} failed", file=sys.stderr)
    return 0


def summary_rows(store, columns, lines):
    """The stored line of every plan line, under its name and genomes of
    this run; a key without its row.tsv (its folder held files not the
    workflow's) a failed line in `columns`."""
    rows = []
    for line in lines:
        path = os.path.join(store, line["key"], ROW)
        if not os.path.exists(path):
            rows.append(pair_run.failed_row(columns, line["pair"], line["a"], line["b"], f"{path} is missing"))
            continue
        _, stored = read_tsv(path)
        if not stored:
            raise collection.Failure(f"{path}: no summary line")
        rows.append(dict(stored[0], pair=line["pair"], a=line["a"], b=line["b"]))
    return rows


def command_summary(args):
    """The summary in the program's columns: a line stored by an earlier
    version with other columns gives those it shares, the others empty."""
    columns = pair_run.summary_columns(args.paralogs)
    lines = []
    for path in args.plans:
        lines.extend(read_tsv(path)[1])
    rows = summary_rows(args.store, columns, lines)
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
    summary.add_argument("--paralogs", required=True)
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
