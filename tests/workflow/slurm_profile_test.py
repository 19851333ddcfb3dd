#!/usr/bin/env python3
"""The SLURM profile's submit and status commands
(workflow/profiles/slurm/slurm_submit.py, slurm_status.py) run as Snakemake
runs them, against stand-ins for sbatch, scontrol, sacct, scancel and sinfo
on PATH that answer what each case says and record their arguments. The
real cluster: cluster_test.sh (make test-cluster).

  slurm_profile_test.py --workflow DIR

Exit 0 passed, 1 failed."""

import argparse
import json
import os
import subprocess
import sys
import tempfile

# A stand-in for one SLURM command: appends its arguments to $FAKE_DIR/NAME.calls
# (one JSON list a line), prints $FAKE_<NAME>_OUT and _ERR, exits $FAKE_<NAME>_RC;
# sbatch writes $FAKE_SBATCH_EXIT into the exit file of job 42 first when set
# (a job that ends before sbatch returns).
FAKE = """#!/usr/bin/env python3
import json, os, sys
name = os.path.basename(sys.argv[0])
with open(os.path.join(os.environ["FAKE_DIR"], name + ".calls"), "a") as calls:
    calls.write(json.dumps(sys.argv[1:]) + "\\n")
key = "FAKE_" + name.upper()
if name == "sbatch" and os.environ.get("FAKE_SBATCH_EXIT"):
    with open(os.path.join(".snakemake", "slurm_status", "42.exit"), "w") as done:
        done.write(os.environ["FAKE_SBATCH_EXIT"] + "\\n")
sys.stdout.write(os.environ.get(key + "_OUT", ""))
sys.stderr.write(os.environ.get(key + "_ERR", ""))
sys.exit(int(os.environ.get(key + "_RC", "0")))
"""
COMMANDS = ("sbatch", "scontrol", "sacct", "scancel", "sinfo")
INVALID = "slurm_load_jobs error: Invalid job id specified\n"
DISABLED = "Slurm accounting storage is disabled\n"


class Check:
    def __init__(self):
        self.failures = 0
        self.count = 0

    def __call__(self, condition, what):
        self.count += 1
        if not condition:
            self.failures += 1
            print(f"FAILED: {what}")


def properties(**fields):
    base = {"type": "single", "rule": "typing_batch", "jobid": 7, "threads": 1, "resources": {}}
    base.update(fields)
    return base


def jobscript(folder, props, code=0):
    path = os.path.join(folder, "snakejob.sh")
    with open(path, "w") as script:
        script.write(f"#!/bin/sh\n# properties = {json.dumps(props)}\nexit {code}\n")
    return path


class Fakes:
    """A working folder with the stand-ins first on PATH."""

    def __init__(self, root, profile):
        self.root = root
        self.profile = profile
        self.bin = os.path.join(root, "bin")
        os.makedirs(self.bin, exist_ok=True)
        for name in COMMANDS:
            path = os.path.join(self.bin, name)
            with open(path, "w") as fake:
                fake.write(FAKE)
            os.chmod(path, 0o755)

    def run(self, script, args, **answers):
        for name in COMMANDS:
            calls = os.path.join(self.root, name + ".calls")
            if os.path.exists(calls):
                os.remove(calls)
        env = {key: value for key, value in os.environ.items() if not key.startswith("FAKE_")}
        env.update({"PATH": self.bin + os.pathsep + env.get("PATH", ""), "FAKE_DIR": self.root})
        env.update({f"FAKE_{key.upper()}": str(value) for key, value in answers.items()})
        return subprocess.run([sys.executable, os.path.join(self.profile, script), *args], cwd=self.root,
                              env=env, capture_output=True, text=True)

    def calls(self, name):
        path = os.path.join(self.root, name + ".calls")
        if not os.path.exists(path):
            return []
        with open(path) as calls:
            return [json.loads(line) for line in calls]


def sbatch_options(call):
    """The options of one sbatch call, without the batch script."""
    return call[:call.index("--wrap")]


def test_submit_options(check, fakes):
    """What the job asks for, from its threads and resources."""
    cases = [
        ("partition, account, time, memory, threads",
         properties(threads=2, resources={"slurm_partition": "main", "slurm_account": "lab", "runtime": 40,
                                          "mem_mb": 4000, "tmpdir": "<TBD>"}),
         ["--partition=main", "--account=lab", "--time=40", "--mem=4000", "--cpus-per-task=2"], []),
        ("no account or partition: sbatch's own defaults",
         properties(resources={"mem_mb": 1000}),
         ["--mem=1000", "--cpus-per-task=1"], ["--partition", "--account"]),
        ("memory per CPU before memory, cpus_per_task before threads, extra options split",
         properties(threads=4, resources={"mem_mb": 4000, "mem_mb_per_cpu": 900, "cpus_per_task": 3,
                                          "constraint": "avx2", "slurm_extra": "--qos=short --exclusive"}),
         ["--mem-per-cpu=900", "--cpus-per-task=3", "--constraint=avx2", "--qos=short", "--exclusive"],
         ["--mem", "--cpus-per-task=4"]),
        ("a group job: named and logged by its group",
         {"type": "group", "groupid": "pairs", "jobid": "d1e2", "threads": 1, "resources": {}},
         ["--job-name=smk_group_pairs", "--output=.snakemake/slurm_logs/group_pairs/%j.log"], []),
    ]
    for what, props, wanted, unwanted in cases:
        done = fakes.run("slurm_submit.py", [jobscript(fakes.root, props)], sbatch_out="42\n")
        calls = fakes.calls("sbatch")
        options = sbatch_options(calls[0]) if calls else []
        check(done.returncode == 0 and done.stdout == "42\n", f"submit ({what}): {done.returncode} {done.stdout!r} {done.stderr!r}")
        for option in wanted:
            check(option in options, f"submit ({what}): {option} in {options}")
        for option in unwanted:
            check(not any(given.split("=")[0] == option or given == option for given in options),
                  f"submit ({what}): no {option} in {options}")


def test_submit_refused(check, fakes):
    """sbatch's refusal and a missing sbatch: one line, exit 1."""
    script = jobscript(fakes.root, properties(resources={"slurm_partition": "nosuch", "mem_mb": 4000}))
    done = fakes.run("slurm_submit.py", [script], sbatch_rc=1, sinfo_out="main*\nlong\n",
                     sbatch_err="sbatch: error: invalid partition specified: nosuch\n"
                                "sbatch: error: Batch job submission failed: Invalid partition name specified\n")
    lines = done.stderr.splitlines()
    check(done.returncode == 1 and done.stdout == "", f"refused: exit {done.returncode}, stdout {done.stdout!r}")
    check(len(lines) == 1 and lines[0].startswith("slurm_submit: sbatch refused the job of rule typing_batch: "
                                                  "invalid partition specified: nosuch;"),
          f"refused: one line naming the rule and sbatch's reason: {lines}")
    check(lines and "--partition=nosuch" in lines[0] and "partitions: main* long" in lines[-1],
          f"refused: what was asked and the partitions there are: {lines}")

    done = fakes.run("slurm_submit.py", [script], sbatch_rc=1, sbatch_err=
                     "sbatch: error: the memory asked cannot be had\n")
    check(done.returncode == 1 and fakes.calls("sinfo") == [] and "--mem=4000" in done.stderr,
          f"refused (memory): the memory asked, no partition list: {done.stderr!r}")

    done = subprocess.run([sys.executable, os.path.join(fakes.profile, "slurm_submit.py"), script], cwd=fakes.root,
                          env={"PATH": os.path.join(fakes.root, "empty"), "HOME": os.environ.get("HOME", "/")},
                          capture_output=True, text=True)
    check(done.returncode == 1 and done.stderr.startswith("slurm_submit: no sbatch on PATH")
          and "Traceback" not in done.stderr, f"no sbatch on PATH: {done.stderr!r}")

    with open(os.path.join(fakes.root, "not-a-jobscript.sh"), "w") as other:
        other.write("#!/bin/sh\ntrue\n")
    done = fakes.run("slurm_submit.py", ["not-a-jobscript.sh"])
    check(done.returncode == 1 and "no '# properties =' line" in done.stderr and fakes.calls("sbatch") == [],
          f"not a job script: {done.stderr!r}")


def test_batch_script(check, fakes):
    """The batch script sbatch gets runs the job script and keeps its exit
    status in the job's exit file; an exit file from before the submission
    is removed, one the job wrote meanwhile is kept."""
    script = jobscript(fakes.root, properties(), code=3)
    status_dir = os.path.join(fakes.root, ".snakemake", "slurm_status")
    os.makedirs(status_dir, exist_ok=True)
    stale = os.path.join(status_dir, "42.exit")
    with open(stale, "w") as old:
        old.write("0\n")
    os.utime(stale, (1, 1))
    fakes.run("slurm_submit.py", [script], sbatch_out="42;cluster\n")
    check(not os.path.exists(stale), "an exit file older than the submission is removed")
    wrap = fakes.calls("sbatch")[0][-1]
    done = subprocess.run(["/bin/sh", "-c", wrap], cwd=fakes.root, env={**os.environ, "SLURM_JOB_ID": "42"})
    with open(stale) as written:
        check(done.returncode == 3 and written.read() == "3\n",
              f"the batch script exits as the job script did ({done.returncode}) and keeps it")
    check(not os.path.exists(stale + ".tmp"), "no partial exit file left")

    done = fakes.run("slurm_submit.py", [script], sbatch_out="42\n", sbatch_exit="0")
    check(done.returncode == 0 and os.path.exists(stale), "an exit file the job wrote before sbatch returned is kept")


def test_status(check, fakes):
    """running, success or failed from scontrol, sacct, or the exit file."""
    def scontrol(state, reason="None"):
        return {"scontrol_out": f"JobId=42 JobName=smk JobState={state} Reason={reason} Dependency=(null)\n"}

    forgotten = {"scontrol_rc": 1, "scontrol_err": INVALID}
    no_accounting = {**forgotten, "sacct_rc": 1, "sacct_err": DISABLED}
    cases = [
        # what, answers, exit file, status, words of the line (None: no line), cancelled
        ("pending in the queue", scontrol("PENDING", "Priority"), None, "running", None, False),
        ("running", scontrol("RUNNING"), None, "running", None, False),
        ("completing", scontrol("COMPLETING"), None, "running", None, False),
        ("completed", scontrol("COMPLETED"), None, "success", None, False),
        ("stopped at its time limit", scontrol("TIMEOUT"), None, "failed", "ended TIMEOUT", False),
        ("out of memory", scontrol("OUT_OF_MEMORY"), None, "failed", "ended OUT_OF_MEMORY", False),
        ("more CPUs than a node has", scontrol("PENDING", "PartitionConfig"), None, "failed",
         "can never start here (PartitionConfig", True),
        ("a time above the partition's", scontrol("PENDING", "PartitionTimeLimit"), None, "failed",
         "can never start here (PartitionTimeLimit", True),
        ("forgotten, in the accounting", {**forgotten, "sacct_out": "COMPLETED\n"}, None, "success", None, False),
        ("forgotten, cancelled in the accounting", {**forgotten, "sacct_out": "CANCELLED by 0\n"}, "0", "failed",
         "ended CANCELLED", False),
        ("forgotten, accounting still empty", {**forgotten, "sacct_out": ""}, "0", "success", None, False),
        ("forgotten, no accounting, exit 0", no_accounting, "0", "success", None, False),
        ("forgotten, no accounting, exit 2", no_accounting, "2", "failed", "exit status 2", False),
        ("forgotten, no accounting, no exit status", no_accounting, None, "failed", "left no exit status", False),
        ("the controller does not answer", {"scontrol_rc": 1, "scontrol_err": "Unable to contact slurm controller"},
         None, "running", "does not answer", False),
    ]
    exit_file = os.path.join(fakes.root, ".snakemake", "slurm_status", "42.exit")
    log = os.path.join(fakes.root, ".snakemake", "slurm_logs", "rule_typing_batch", "42.log")
    os.makedirs(os.path.dirname(exit_file), exist_ok=True)
    os.makedirs(os.path.dirname(log), exist_ok=True)
    open(log, "w").close()
    for what, answers, code, wanted, words, cancelled in cases:
        if os.path.exists(exit_file):
            os.remove(exit_file)
        if code is not None:
            with open(exit_file, "w") as written:
                written.write(code + "\n")
        done = fakes.run("slurm_status.py", ["42"], **answers)
        lines = done.stderr.splitlines()
        check(done.returncode == 0 and done.stdout == wanted + "\n",
              f"status ({what}): {done.stdout.strip()!r}, wanted {wanted}; {done.stderr!r}")
        if words is None:
            check(lines == [], f"status ({what}): no line, got {lines}")
        else:
            check(len(lines) == 1 and lines[0].startswith("slurm_status: SLURM") and words in lines[0],
                  f"status ({what}): one line with {words!r}: {lines}")
        if wanted == "failed" and "ended" in (words or ""):
            check(bool(lines) and "42.log" in lines[0], f"status ({what}): the line names the job's output: {lines}")
        check((fakes.calls("scancel") == [["42"]]) == cancelled, f"status ({what}): scancel {fakes.calls('scancel')}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--workflow", required=True)
    args = parser.parse_args()
    profile = os.path.join(os.path.abspath(args.workflow), "profiles", "slurm")
    check = Check()
    for test in (test_submit_options, test_submit_refused, test_batch_script, test_status):
        with tempfile.TemporaryDirectory() as root:
            test(check, Fakes(root, profile))
    print(f"{check.count - check.failures} passed, {check.failures} failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
