"""What the workflow's tests that run Snakemake share: their command line
(--workflow, --build), the reasons to skip (a program, a paralogs command or
a module of Snakemake's Python missing), Snakemake run on the workflow with
its state in fresh folders, the checks that collect failures, and a run in
a scratch folder that reports them (exit 0 passed, 1 failed, 77 skipped)."""

import csv
import os
import shutil
import subprocess
import tempfile

SKIPPED = 77


def table(path):
    """The lines of a TSV with a header, as dicts."""
    with open(path, newline="") as tsv:
        return list(csv.DictReader(tsv, delimiter="\t"))


def parse(parser, build=True):
    """The arguments, with --workflow (and --build) made absolute."""
    parser.add_argument("--workflow", required=True)
    if build:
        parser.add_argument("--build", required=True)
    args = parser.parse_args()
    args.workflow = os.path.abspath(args.workflow)
    if build:
        args.build = os.path.abspath(args.build)
    return args


def snakemake_python():
    """The interpreter the installed snakemake runs under (its script's #!
    line) as a command, or [] without snakemake."""
    path = shutil.which("snakemake")
    if path is None:
        return []
    with open(path) as script:
        line = script.readline()
    return line[2:].strip().split() if line.startswith("#!") else []


def skip_reason(programs, build=None, commands=(("pair", None),), modules=()):
    """Why the test cannot run, or None: one of `programs` not on PATH, a
    command of BUILD/paralogs [(command, an option its --help must name)]
    missing, or one of `modules` missing from Snakemake's Python."""
    for program in programs:
        if shutil.which(program) is None:
            return f"{program} is not installed (make deps installs it)"
    for command, option in commands if build is not None else ():
        done = subprocess.run([os.path.join(build, "paralogs"), command, "--help"], capture_output=True, text=True)
        if done.returncode != 0:
            return f"paralogs {command} is missing from this build"
        if option and option not in done.stdout + done.stderr:
            return f"paralogs {command} has no {option} in this build"
    if modules:
        done = subprocess.run(snakemake_python() + ["-c", "import " + ", ".join(modules)], capture_output=True)
        if done.returncode != 0:
            return f"Snakemake's Python lacks one of {', '.join(modules)} (make deps installs them)"
    return None


def snakemake(workflow, directory, *arguments, state=None, cores=2):
    """Snakemake on the workflow in `directory`, its cache and other state
    below the home and XDG folders in fresh ones under `state` (default
    `directory`): the finished process, its output and errors in stdout."""
    state = state or directory
    env = dict(os.environ, HOME=os.path.join(state, "home"), XDG_CACHE_HOME=os.path.join(state, "cache"),
               XDG_CONFIG_HOME=os.path.join(state, "config"))
    command = ["snakemake", "--snakefile", os.path.join(workflow, "Snakefile"), "--directory", directory,
               "--cores", str(cores), *arguments]
    return subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


class Checks:
    """The failures of a run: check(condition, message) keeps the message of
    a condition that does not hold and returns the condition."""

    def __init__(self):
        self.failures = []

    def __call__(self, condition, message):
        if not condition:
            self.failures.append(message)
        return condition

    def ran(self, done, label=""):
        """Whether Snakemake succeeded; if not, a failure and its output's end."""
        message = f"snakemake exited with {done.returncode}"
        if not self(done.returncode == 0, f"{label}: {message}" if label else message):
            print(done.stdout[-5000:])
            return False
        return True

    def report(self):
        for failure in self.failures:
            print(f"FAILED: {failure}")
        if not self.failures:
            print("passed")
        return 1 if self.failures else 0


def run(prefix, test, skip=None, keep=False):
    """test(scratch, check) in a fresh temporary folder, removed afterwards
    unless `keep`: the exit status, SKIPPED when `skip` gives a reason."""
    if skip:
        print(f"skipped: {skip}")
        return SKIPPED
    check = Checks()
    scratch = tempfile.mkdtemp(prefix=prefix)
    try:
        test(scratch, check)
    finally:
        if keep:
            print(f"kept: {scratch}")
        else:
            shutil.rmtree(scratch)
    return check.report()
