# The configuration, checked against its schema, and the pairs: PAIRS in the
# order of the results, [(pair, a, b, genomes file or None for the
# collection)], and BATCHES, PAIRS cut into lists of batch_size; the
# options and the runtime of a batch job.

import os
import sys

from snakemake.utils import validate

sys.path.insert(0, os.path.join(workflow.basedir, "scripts"))
import collection  # noqa: E402
import output_file  # noqa: E402
import pair_run  # noqa: E402

validate(config, os.path.join(workflow.basedir, "schemas", "config.schema.yaml"))


def _build_path(value):
    value = str(value)
    return value if os.path.isabs(value) else os.path.normpath(os.path.join(workflow.basedir, value))


BUILD = _build_path(config["build"])
PARALOGS = os.path.join(BUILD, "paralogs")
PYTHON = sys.executable
RESULTS = str(config["results"]).rstrip("/") or "."
SCRIPTS = os.path.join(workflow.basedir, "scripts")
SOLVER = str(config["solver"])
TIME_LIMIT = int(config["time_limit"])
GENOME_FILES = [config["genomes"]] if isinstance(config["genomes"], str) else list(config["genomes"])
TYPING = config["pairs"] == "related" and not config.get("samples")  # rules/typing.smk
SHEET = str(config.get("samples") or "") or (config["pairs"] if config["pairs"] not in ("all", "related") else "")

if SOLVER == "custom" and not str(config["solver_command"]).strip():
    raise ValueError("config: solver custom needs a solver_command (a shell command with {lp} and {solution})")
if config["bounds"] and not os.path.isfile(config["bounds"]):
    raise ValueError(f"config: bounds: no file {config['bounds']}")
if not SHEET and not GENOME_FILES:
    raise ValueError(f"config: pairs {config['pairs']} needs a collection: genomes (one or more genomes files)")


def _check_program():
    if not os.access(PARALOGS, os.X_OK):
        raise ValueError(f"config: build: no program {PARALOGS}; build first (make build)")


def _collection():
    """[(name, file)] of the collection; an unreadable file stands for one
    genome named after it, whose pairs fail with the reason."""
    _check_program()
    for path in GENOME_FILES:
        if not os.path.exists(path):
            raise ValueError(f"config: genomes: no file {path} (from {os.getcwd()})")
    failures = {}
    genomes = collection.collection_names(
        GENOME_FILES, lambda path: collection.names_or_stem(PARALOGS, path, failures))
    for name, reason in failures.items():
        sys.stderr.write(f"warning: genomes file of {name} cannot be read, its pairs fail: {reason}\n")
    return genomes


def _validation_message(error):
    """The line of Snakemake's validation error that says what is wrong, and
    where ("On instance['COLUMN']")."""
    lines = str(error).splitlines()
    what = next((line[len("ValidationError: "):] for line in lines if line.startswith("ValidationError: ")),
                lines[0] if lines else "invalid")
    where = next((line for line in lines if line.startswith("On instance[")), "")
    column = where[len("On instance['"):-len("']:")] if where.startswith("On instance['") else ""
    return f"column {column}: {what}" if column else what


def _sheet_pairs(path):
    """The sheet's pairs; the collection is read only when a pair takes its
    genomes from it (no genomes file)."""
    if not os.path.isfile(path):
        raise ValueError(f"config: pairs: no sheet {path} (pairs is 'all' or a sheet of pairs)")
    header, rows = collection.read_sheet(path)
    unknown = [column for column in header if column not in ("pair", "genomes", "a", "b")]
    if unknown or "pair" not in header:
        raise ValueError(f"{path}: the header has {'unknown column(s) ' + ', '.join(unknown) if unknown else 'no column pair'};"
                         " a sheet's columns are pair, genomes, a, b")
    schema = os.path.join(workflow.basedir, "schemas", "sheet.schema.yaml")
    for number, row in rows:
        try:
            validate(row, schema)
        except Exception as error:
            raise ValueError(f"{path}, line {number}: {_validation_message(error)}") from None
    needs_collection = any(not row.get("genomes") and row.get("a") for _, row in rows)
    in_collection = dict(_collection()) if needs_collection and GENOME_FILES else {}
    return collection.sheet_pairs(path, rows, in_collection)


try:
    if SHEET:
        PAIRS = _sheet_pairs(SHEET)
    else:
        COLLECTION = _collection()
        PAIRS = [] if TYPING else [(name, a, b, None)
                                   for name, a, b in collection.all_pairs([n for n, _ in COLLECTION])]
    _check_program()
    GRACE = pair_run.solver_grace(PARALOGS, TIME_LIMIT)
except collection.Failure as failure:
    raise ValueError(str(failure)) from None
if not PAIRS and not TYPING:
    raise ValueError("config: no pairs (a collection of one genome?)")
BATCHES = collection.batches(PAIRS, int(config["batch_size"]))
BATCH_NAMES = [collection.batch_name(number) for number in range(1, len(BATCHES) + 1)]
PAIR_NAMES = [pair for pair, *_ in PAIRS]
USES_COLLECTION = any(genomes is None for *_, genomes in PAIRS)

_plot = config["plot_pairs"]
if isinstance(_plot, str):  # from --config: true, false, or names separated by commas
    _plot = {"true": True, "false": False, "": False}.get(_plot.strip().lower(),
                                                        [name.strip() for name in _plot.split(",") if name.strip()])
if TYPING:  # a typing draws the network and the communities, not each pair
    PLOT_PAIRS = []
elif _plot is True:
    PLOT_PAIRS = PAIR_NAMES
elif _plot is False:
    PLOT_PAIRS = []
else:
    PLOT_PAIRS = list(_plot)
    _unknown = [name for name in PLOT_PAIRS if name not in PAIR_NAMES]
    if _unknown:
        raise ValueError(f"config: plot_pairs: no pair {', '.join(_unknown)} (pairs: {' '.join(PAIR_NAMES[:10])} ...)")
BATCH_OF = {pair: BATCH_NAMES[number // int(config["batch_size"])] for number, pair in enumerate(PAIR_NAMES)}

wildcard_constraints:
    batch=r"\d{5}",


def pair_options(threads):
    """The options every `paralogs pair` of a batch gets."""
    solver = str(config["solver_command"]) if SOLVER == "custom" else SOLVER
    options = ["--distance", config["distance"], "--model", config["model"], "--solver", solver,
               "--time-limit", str(TIME_LIMIT), "--threads", str(threads)]
    if config["bounds"]:
        options += ["--bounds", os.path.abspath(config["bounds"])]
    return options


def batch_runtime(pairs):
    """Minutes of a batch job of `pairs` pairs, for cluster executors
    (SLURM's --time): every pair's limit with the grace paralogs pair gives
    its solver, and some slack."""
    return pairs * (TIME_LIMIT + int(GRACE) + 10) // 60 + 10


FINAL_TARGETS = [f"{RESULTS}/summary.tsv"]
FINAL_TARGETS += expand(f"{RESULTS}/pairs/{{pair}}/pair.{{extension}}", pair=PLOT_PAIRS, extension=("png", "svg"))
if not TYPING and not SHEET:  # a typing's own targets: rules/typing.smk
    FINAL_TARGETS += [f"{RESULTS}/distances.tsv", f"{RESULTS}/distances.phy", f"{RESULTS}/tree.nwk",
                      f"{RESULTS}/heatmap.png", f"{RESULTS}/heatmap.svg"]
