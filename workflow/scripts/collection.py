"""The collection of genomes the workflow compares, and its pairs: genome
names read through `paralogs unimog`, every unordered pair or a sheet of
pairs, pair names, batches of pairs, and the genomes of one pair as UniMoG.
Plain functions over lists and dicts, used by the rules (common.smk) and by
the batch job (batch.py)."""

import csv
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import output_file  # noqa: E402

NAME = re.compile(r"[A-Za-z0-9][A-Za-z0-9._-]*")


class Failure(Exception):
    pass


def _convert(paralogs, source, target):
    done = subprocess.run([paralogs, "unimog", "-i", source, "-o", target],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        lines = done.stderr.strip().splitlines()
        raise Failure(lines[-1] if lines else f"{paralogs} unimog failed on {source}")


def parse_unimog(text, source="UniMoG"):
    """[(name, chromosome lines)] of UniMoG text as `paralogs unimog` writes it."""
    genomes = []
    for line in text.splitlines(keepends=True):
        if line.startswith(">"):
            genomes.append([line[1:].strip(), ""])
        elif genomes:
            genomes[-1][1] += line if line.endswith("\n") else line + "\n"
        elif line.strip():
            raise Failure(f"{source}: chromosome line before the first genome")
    return [(name, text) for name, text in genomes]


def read_genomes(paralogs, path):
    """[(name, UniMoG chromosome lines)] of a genomes file of any form that
    `paralogs unimog` reads (UniMoG, structures or result file, compressed)."""
    with tempfile.TemporaryDirectory(prefix="rp-genomes-") as scratch:
        converted = os.path.join(scratch, "converted")
        _convert(paralogs, path, converted)
        with open(converted) as written:
            is_unimog = written.read(4096).lstrip().startswith(">")
        if not is_unimog:  # the input was UniMoG: read back in the writer's form
            unimog = os.path.join(scratch, "converted.unimog")
            _convert(paralogs, converted, unimog)
            converted = unimog
        with open(converted) as written:
            return parse_unimog(written.read(), path)


def chromosomes_of(unimog_lines):
    """[(chromosome, circular)] of a genome's UniMoG lines, a chromosome a
    list of (sign, label)."""
    chromosomes, current = [], []
    for marker in unimog_lines.split():
        if marker in ("|", ")"):
            chromosomes.append((current, marker == ")"))
            current = []
        else:
            current.append((-1 if marker.startswith("-") else 1, marker.lstrip("-+")))
    if current:
        chromosomes.append((current, False))
    return chromosomes


def restricted(chromosomes, labels):
    """The chromosomes with only the genes whose label is in `labels` (the
    genes both genomes have), empty ones left out."""
    kept = [([gene for gene in genes if gene[1] in labels], circular) for genes, circular in chromosomes]
    return [(genes, circular) for genes, circular in kept if genes]


def neighbours(genes, circular):
    """The pairs of consecutive genes; a circular chromosome joins its last
    gene to its first."""
    return list(zip(genes, genes[1:])) + ([(genes[-1], genes[0])] if circular and genes else [])


def adjacency(first, second):
    """The adjacency of two consecutive genes (sign, label): a frozenset of
    two extremities (label, 'h' or 't')."""
    (sign1, label1), (sign2, label2) = first, second
    return frozenset(((label1, "h" if sign1 > 0 else "t"), (label2, "t" if sign2 > 0 else "h")))


def adjacencies(chromosomes):
    """The adjacencies of a genome (restrict it to the genes both genomes
    have first, as conserved adjacencies are counted)."""
    return {adjacency(first, second) for genes, circular in chromosomes
            for first, second in neighbours(genes, circular)}


def collection_names(files, names_of):
    """The genomes of the collection in file order, as [(name, file)].
    `names_of(file)` gives a file's genome names. Names must be unique."""
    where = {}
    genomes = []
    for path in files:
        for name in names_of(path):
            if name in where:
                raise Failure(f"genome {name} is in {where[name]} and again in {path}: "
                              "genome names must be unique across the collection")
            where[name] = path
            genomes.append((name, path))
    return genomes


LONGEST_PAIR_NAME = 200


def shortened(name):
    """A name of more than LONGEST_PAIR_NAME bytes as its first 183, '-' and
    the 16 hexadecimal digits of the whole name's 64-bit FNV-1a hash (as
    `paralogs related` names pairs), so that it stays a usable file name."""
    if len(name) <= LONGEST_PAIR_NAME:
        return name
    digest = 0xcbf29ce484222325
    for byte in name.encode():
        digest = ((digest ^ byte) * 0x100000001b3) % (1 << 64)
    return f"{name[:LONGEST_PAIR_NAME - 17]}-{digest:016x}"


def pair_name(a, b):
    """The folder name of the pair: its genomes' names joined by '__', any
    character outside letters, digits, '.', '_', '-' written as '_', a long
    name shortened."""
    safe = [re.sub(r"[^A-Za-z0-9._-]", "_", name) for name in (a, b)]
    return shortened("__".join(safe).lstrip("._-") or "pair")


def all_pairs(names):
    """Every unordered pair of `names`, A before B in the given order:
    [(pair, a, b)], pair names made unique with a suffix where needed."""
    pairs, taken = [], set()
    for i, a in enumerate(names):
        for b in names[i + 1:]:
            name = pair_name(a, b)
            if name in taken:
                number = 2
                while f"{name}.{number}" in taken:
                    number += 1
                name = f"{name}.{number}"
            taken.add(name)
            pairs.append((name, a, b))
    return pairs


# The files the workflow itself writes in a pair's folder.
WORKFLOW_PAIR_FILES = ["pair.log", "pair.png", "pair.svg", "row.tsv"]


def road_files(paralogs):
    """The files of a pair's folder as `paralogs pair --files` names them (its
    mark first), and the workflow's own."""
    done = subprocess.run([paralogs, "pair", "--files"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    names = done.stdout.split()
    if done.returncode != 0 or not names or not names[0].startswith("."):
        raise Failure(f"{paralogs} pair --files: exit {done.returncode}: "
                      f"{done.stderr.strip() or done.stdout.strip()}")
    return names + WORKFLOW_PAIR_FILES


def _ours(entry, names):
    """A file of `names` or a temporary one of such a file (".NAME.XXXXXX" of
    the program, ".NAME.XXXXXXXX.tmp" of the workflow's output_file, "NAME.tmp"
    of its earlier versions)."""
    if entry in names or output_file.temporary_of(entry) in names:
        return True
    if entry.endswith(".tmp") and entry[:-4] in names:
        return True
    return bool(re.fullmatch(r"\.(.+)\.[A-Za-z0-9]{6}", entry)) and entry[1:-7] in names


def free_pair_folder(path, names):
    """Makes the place of a pair's folder free, removing only what the
    program or the workflow wrote: a folder holding the program's mark
    (names[0]) or nothing but files of `names` loses those files, then
    itself when it is left empty. '' once the place is free, else why not
    (nothing of anyone else's is touched)."""
    if not os.path.lexists(path):
        return ""
    if os.path.islink(path) or not os.path.isdir(path):
        return f"{path} exists and is not a folder of the workflow's"
    entries = sorted(os.listdir(path))
    foreign = [entry for entry in entries if not _ours(entry, names)
               or not os.path.isfile(os.path.join(path, entry))]
    if foreign and names[0] not in entries:
        return f"{path} holds {foreign[0]}, which the workflow did not write: move it away to rerun this pair"
    for entry in entries:
        if entry not in foreign:
            os.remove(os.path.join(path, entry))
    if foreign:
        return f"{path} holds {foreign[0]}, which the workflow did not write: move it away to rerun this pair"
    os.rmdir(path)
    return ""


def clear_run_folder(path, names):
    """A `paralogs pair --pairs` run's folder of the workflow's removed: its
    pairs' folders as free_pair_folder frees them, its summary, then itself
    when nothing else is left in it."""
    if not os.path.isdir(path) or os.path.islink(path):
        return
    for entry in os.listdir(path):
        full = os.path.join(path, entry)
        if os.path.isdir(full) and not os.path.islink(full):
            free_pair_folder(full, names)
        elif _ours(entry, ["summary.tsv"]):
            os.remove(full)
    try:
        os.rmdir(path)
    except OSError:
        pass


def batches(items, size):
    """`items` cut into consecutive lists of `size` (the last may be shorter)."""
    if size < 1:
        raise ValueError(f"batch size must be at least 1, not {size}")
    return [items[start:start + size] for start in range(0, len(items), size)]


def read_sheet(path):
    """The rows of a tab-separated sheet of pairs (columns pair, genomes and
    the optional a and b), lines starting with '#' left out, as
    [(line number, {column: value})] with values stripped."""
    with open(path, newline="") as sheet:
        lines = [(number, line) for number, line in enumerate(sheet, 1)
                 if not line.startswith("#") and line.strip()]
    if not lines:
        raise Failure(f"{path}: empty; a sheet starts with a header line")
    header = [column.strip() for column in lines[0][1].rstrip("\r\n").split("\t")]
    rows = []
    for number, line in lines[1:]:
        values = [value.strip() for value in line.rstrip("\r\n").split("\t")]
        if len(values) > len(header):
            raise Failure(f"{path}, line {number}: {len(values)} fields, the header has {len(header)}")
        values += [""] * (len(header) - len(values))
        rows.append((number, dict(zip(header, values))))
    return header, rows


def sheet_pairs(path, rows, collection):
    """The pairs of a sheet's rows: [(pair, a, b, genomes file or None)];
    a pair without a genomes file takes a and b from the collection
    (`collection`: name -> file). Empty a and b: the file's first two."""
    base = os.path.dirname(os.path.abspath(path))
    pairs, seen = [], set()
    for number, row in rows:
        where = f"{path}, line {number}"
        name, genomes, a, b = (row.get(key, "") for key in ("pair", "genomes", "a", "b"))
        if not NAME.fullmatch(name):
            raise Failure(f"{where}: pair name {name!r} must be letters, digits, '.', '_', '-'")
        if name in seen:
            raise Failure(f"{where}: pair {name} is listed twice")
        seen.add(name)
        if bool(a) != bool(b):
            raise Failure(f"{where}: pair {name} names one genome; name both or neither")
        if a and a == b:
            raise Failure(f"{where}: pair {name} names genome {a} twice")
        if genomes:
            pairs.append((name, a, b, os.path.normpath(os.path.join(base, genomes))))
            continue
        if not a:
            raise Failure(f"{where}: pair {name} has no genomes file and names no genomes")
        for genome in (a, b):
            if genome not in collection:
                raise Failure(f"{where}: pair {name}: genome {genome} is not in the collection "
                              "(config genomes) and the pair has no genomes file")
        pairs.append((name, a, b, None))
    if not pairs:
        raise Failure(f"{path}: no pairs")
    return pairs


PAIR_LIST_COLUMNS = ["batch", "pair", "a", "b", "genomes"]


def batch_name(number):
    """The name of batch `number` (from 1), as in its files."""
    return f"{number:05d}"


def write_pair_list(path, pairs, size):
    """Every pair with its batch as a TSV (batch, pair, a, b, genomes file;
    an empty genomes file: the collection)."""
    with output_file.replaced(path) as out:
        table = csv.writer(out, delimiter="\t", lineterminator="\n")
        table.writerow(PAIR_LIST_COLUMNS)
        for number, batch in enumerate(batches(pairs, size), 1):
            for name, a, b, genomes in batch:
                table.writerow([batch_name(number), name, a, b, genomes or ""])


def read_pair_list(path, batch):
    """The pairs of one batch of a pair list, in order: [(pair, a, b, genomes
    file or None)]."""
    with open(path, newline="") as table:
        reader = csv.DictReader(table, delimiter="\t")
        if reader.fieldnames != PAIR_LIST_COLUMNS:
            raise Failure(f"{path}: not a list of pairs (columns {reader.fieldnames})")
        return [(row["pair"], row["a"], row["b"], row["genomes"] or None)
                for row in reader if row["batch"] == batch]


def digest(*values):
    """A short digest of values' text: a parameter that changes with them."""
    import hashlib
    return hashlib.sha256(repr(values).encode()).hexdigest()[:16]


def file_stem(path):
    """A file's name without its folder and extensions: the name of the genome
    of a file that cannot be read."""
    return os.path.basename(path).split(".")[0] or os.path.basename(path)


def names_or_stem(paralogs, path, failures):
    """The genome names of a file; for a file that cannot be read, its stem,
    with the reason kept in `failures` (stem -> reason)."""
    try:
        return [name for name, _ in read_genomes(paralogs, path)]
    except (Failure, OSError) as failure:
        failures[file_stem(path)] = str(failure)
        return [file_stem(path)]


def collect(paralogs, files, unimog_path, failed_path):
    """Every genome of the collection's files in one UniMoG file, and the
    files that cannot be read in a TSV (genome, reason)."""
    failures = {}
    genomes = []
    for path in files:
        try:
            genomes.extend(read_genomes(paralogs, path))
        except (Failure, OSError) as failure:
            failures[file_stem(path)] = str(failure).replace("\t", " ").replace("\n", " ")
    output_file.write_text(unimog_path, "".join(f">{name}\n{text}" for name, text in genomes))
    output_file.write_text(failed_path, "genome\treason\n" + "".join(f"{name}\t{reason}\n"
                                                                    for name, reason in failures.items()))


if __name__ == "__main__":
    import argparse
    import sys
    parser = argparse.ArgumentParser(description="The collection's genomes in one UniMoG file.")
    parser.add_argument("--paralogs", required=True)
    parser.add_argument("--unimog", required=True)
    parser.add_argument("--failed", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    collect(args.paralogs, args.files, args.unimog, args.failed)
    sys.exit(0)
