#!/usr/bin/env python3
"""The two genomes of a pair, A first, from a genomes file of any form that
`paralogs unimog` reads (UniMoG, a structures file or a result file of
resolve-paralogs, compressed or not): written as UniMoG and as a structures
file, both by `paralogs unimog`.

  select_genomes.py --paralogs PROGRAM [--a NAME --b NAME] GENOMES STRUCTS UNIMOG

Without names, A and B are the file's first two genomes. Failures are one
line on standard error and exit status 1; no output is left behind."""

import argparse
import os
import subprocess
import sys
import tempfile


class Failure(Exception):
    pass


def convert(paralogs, source, target):
    """`paralogs unimog -i source -o target`; its summary goes to our stderr."""
    done = subprocess.run([paralogs, "unimog", "-i", source, "-o", target],
                          stderr=subprocess.PIPE, text=True)
    sys.stderr.write(done.stderr)
    if done.returncode != 0:
        lines = done.stderr.strip().splitlines()
        raise Failure(lines[-1] if lines else f"{paralogs} unimog failed on {source}")


def read_unimog(path):
    """The genomes of a UniMoG file as `paralogs unimog` writes it: a list of
    (name, text) with text the genome's chromosome lines."""
    genomes = []
    with open(path) as unimog:
        for line in unimog:
            if line.startswith(">"):
                genomes.append([line[1:].strip(), ""])
            elif genomes:
                genomes[-1][1] += line
            elif line.strip():
                raise Failure(f"{path}: chromosome line before the first genome")
    return genomes


def select(genomes, a, b, source):
    names = [name for name, _ in genomes]
    if len(genomes) < 2:
        raise Failure(f"{source}: holds {len(genomes)} genome(s), a pair needs two")
    if not a:
        return genomes[0], genomes[1]
    chosen = []
    for name in (a, b):
        if names.count(name) != 1:
            how = "is not" if name not in names else "is more than once"
            raise Failure(f"{source}: genome {name} {how} in the file (genomes: {' '.join(names)})")
        chosen.append(genomes[names.index(name)])
    return chosen[0], chosen[1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--paralogs", required=True)
    parser.add_argument("--a", default="")
    parser.add_argument("--b", default="")
    parser.add_argument("genomes")
    parser.add_argument("structs")
    parser.add_argument("unimog")
    args = parser.parse_args()
    if bool(args.a) != bool(args.b):
        parser.error("--a and --b go together")
    try:
        folder = os.path.dirname(os.path.abspath(args.structs))
        with tempfile.TemporaryDirectory(dir=folder, prefix=".genomes-") as scratch:
            converted = os.path.join(scratch, "converted")
            convert(args.paralogs, args.genomes, converted)
            with open(converted) as written:
                is_unimog = written.read(4096).lstrip().startswith(">")
            if not is_unimog:
                # The input was UniMoG: read it back in the form the writer gives.
                unimog = os.path.join(scratch, "all.unimog")
                convert(args.paralogs, converted, unimog)
                converted = unimog
            a, b = select(read_unimog(converted), args.a, args.b, args.genomes)
            pair = os.path.join(scratch, "pair.unimog")
            with open(pair, "w") as out:
                for name, text in (a, b):
                    out.write(f">{name}\n{text}")
            structs = os.path.join(scratch, "pair.txt")
            convert(args.paralogs, pair, structs)
            os.replace(structs, args.structs)
            os.replace(pair, args.unimog)
    except (Failure, OSError) as failure:
        print(f"select_genomes: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
