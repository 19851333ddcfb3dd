# The configuration and the sample sheet, read once: the programs' paths, the
# solver's command, and PAIRS, the pairs by name in the sheet's order.

import csv
import os
import re
import shlex


def _config_path(key, base):
    value = str(config[key])
    return value if os.path.isabs(value) else os.path.normpath(os.path.join(base, value))


BUILD = _config_path("build", workflow.basedir)
PARALOGS = os.path.join(BUILD, "paralogs")
RESOLVE = os.path.join(BUILD, "resolve-paralogs")
RESULTS = str(config["results"]).rstrip("/") or "."
SCRIPTS = os.path.join(workflow.basedir, "scripts")
SOLVER = str(config["solver"])
TIME_LIMIT = config["time_limit"]

if SOLVER not in ("cbc", "glpsol", "custom"):
    raise ValueError(f"config: solver must be cbc, glpsol or custom, not {SOLVER!r}")
if SOLVER == "custom" and not str(config.get("solver_command") or "").strip():
    raise ValueError("config: solver custom needs a solver_command")
if not str(TIME_LIMIT).isdigit() or int(TIME_LIMIT) <= 0:
    raise ValueError(f"config: time_limit must be a positive number of seconds, not {TIME_LIMIT!r}")
if config["model"] not in ("maximum", "exemplar"):
    raise ValueError(f"config: model must be maximum or exemplar, not {config['model']!r}")


def read_sample_sheet(path):
    """The pairs of a tab-separated sheet with columns pair, genomes and the
    optional a and b (the genomes' names; empty: the file's first two).
    A genomes path is taken from the sheet's folder unless absolute."""
    pairs = {}
    base = os.path.dirname(os.path.abspath(path))
    with open(path, newline="") as sheet:
        rows = csv.DictReader((line for line in sheet if not line.startswith("#")), delimiter="\t")
        missing = {"pair", "genomes"} - set(rows.fieldnames or [])
        if missing:
            raise ValueError(f"{path}: the header lacks the column(s) {', '.join(sorted(missing))}")
        for row in rows:
            where = f"{path}, line {rows.line_num}"
            name = (row["pair"] or "").strip()
            genomes = (row["genomes"] or "").strip()
            a = (row.get("a") or "").strip()
            b = (row.get("b") or "").strip()
            if not name and not genomes:
                continue
            if not re.fullmatch(r"[A-Za-z0-9][A-Za-z0-9._-]*", name):
                raise ValueError(f"{where}: pair name {name!r} must be letters, digits, '.', '_', '-'")
            if name in pairs:
                raise ValueError(f"{where}: pair {name} is listed twice")
            if not genomes:
                raise ValueError(f"{where}: pair {name} has no genomes file")
            if bool(a) != bool(b):
                raise ValueError(f"{where}: pair {name} names one genome; name both or neither")
            if a and a == b:
                raise ValueError(f"{where}: pair {name} names genome {a} twice")
            pairs[name] = {
                "genomes": os.path.normpath(os.path.join(base, genomes)),
                "a": a,
                "b": b,
            }
    if not pairs:
        raise ValueError(f"{path}: no pairs")
    return pairs


PAIRS = read_sample_sheet(str(config["samples"]))

wildcard_constraints:
    pair="|".join(re.escape(name) for name in PAIRS),


# Appended to a step's shell command that writes its messages to its log: on
# failure the log is shown too, so that the step's own message is on screen.
SHOW_LOG = " || {{ status=$?; cat {log:q} >&2; exit $status; }}"


def solver_command(lp, solution, threads):
    """The shell command that solves `lp` and writes the answer to `solution`."""
    threads = int(threads)
    if SOLVER == "cbc":
        extra = f" threads {threads}" if threads > 1 else ""
        return (f"cbc {shlex.quote(lp)} sec {TIME_LIMIT}{extra} solve "
                f"solu {shlex.quote(solution)}")
    if SOLVER == "glpsol":
        return f"glpsol --lp {shlex.quote(lp)} --tmlim {TIME_LIMIT} -o {shlex.quote(solution)}"
    command = str(config["solver_command"])
    for key, value in (("{lp}", shlex.quote(lp)), ("{solution}", shlex.quote(solution)),
                       ("{threads}", str(threads)), ("{time_limit}", str(TIME_LIMIT))):
        command = command.replace(key, value)
    return command
