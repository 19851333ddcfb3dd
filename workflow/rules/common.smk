# The configuration, checked against its schema, and the pairs: PAIRS in the
# order of the results, [(pair, a, b, genomes file or None for the
# collection)], and BATCHES, PAIRS cut into lists of batch_size.

import os
import sys

from snakemake.utils import validate

sys.path.insert(0, os.path.join(workflow.basedir, "scripts"))
import collection  # noqa: E402

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
SHEET = str(config.get("samples") or "") or (config["pairs"] if config["pairs"] != "all" else "")

if SOLVER == "custom" and not str(config["solver_command"]).strip():
    raise ValueError("config: solver custom needs a solver_command (a shell command with {lp} and {solution})")
if config["bounds"] and not os.path.isfile(config["bounds"]):
    raise ValueError(f"config: bounds: no file {config['bounds']}")
if not os.access(PARALOGS, os.X_OK):
    raise ValueError(f"config: build: no program {PARALOGS}; build first (make build)")
for _path in GENOME_FILES:
    if not os.path.exists(_path):
        raise ValueError(f"config: genomes: no file {_path}")
if not SHEET and not GENOME_FILES:
    raise ValueError("config: pairs all needs a collection: genomes (one or more genomes files)")


def _collection():
    """[(name, file)] of the collection; an unreadable file stands for one
    genome named after it, whose pairs fail with the reason."""
    failures = {}
    genomes = collection.collection_names(
        GENOME_FILES, lambda path: collection.names_or_stem(PARALOGS, path, failures))
    for name, reason in failures.items():
        sys.stderr.write(f"warning: genomes file of {name} cannot be read, its pairs fail: {reason}\n")
    return genomes


def _sheet_pairs(path, in_collection):
    header, rows = collection.read_sheet(path)
    schema = os.path.join(workflow.basedir, "schemas", "sheet.schema.yaml")
    for number, row in rows:
        try:
            validate(row, schema)
        except Exception as error:
            raise ValueError(f"{path}, line {number}: {error}") from None
    if "pair" not in header or ("genomes" not in header and not in_collection):
        raise ValueError(f"{path}: the header lacks the column(s) pair, genomes")
    return collection.sheet_pairs(path, rows, in_collection)


try:
    COLLECTION = _collection() if GENOME_FILES else []
    if SHEET:
        PAIRS = _sheet_pairs(SHEET, dict(COLLECTION))
    else:
        PAIRS = [(name, a, b, None) for name, a, b in collection.all_pairs([n for n, _ in COLLECTION])]
except collection.Failure as failure:
    raise ValueError(str(failure)) from None
if not PAIRS:
    raise ValueError("config: no pairs (a collection of one genome?)")
BATCHES = collection.batches(PAIRS, int(config["batch_size"]))
BATCH_NAMES = [f"{number:05d}" for number in range(1, len(BATCHES) + 1)]
PAIR_NAMES = [pair for pair, *_ in PAIRS]
USES_COLLECTION = any(genomes is None for *_, genomes in PAIRS)

if config["plot_pairs"] is True:
    PLOT_PAIRS = PAIR_NAMES
elif config["plot_pairs"] is False:
    PLOT_PAIRS = []
else:
    PLOT_PAIRS = list(config["plot_pairs"])
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


FINAL_TARGETS = [f"{RESULTS}/summary.tsv"]
FINAL_TARGETS += expand(f"{RESULTS}/pairs/{{pair}}/pair.{{extension}}", pair=PLOT_PAIRS, extension=("png", "svg"))
if not SHEET:
    FINAL_TARGETS += [f"{RESULTS}/distances.tsv", f"{RESULTS}/distances.phy", f"{RESULTS}/tree.nwk",
                      f"{RESULTS}/heatmap.png", f"{RESULTS}/heatmap.svg"]
