#!/usr/bin/env python3
"""The profile's submit command (Snakemake's `cluster:`): sends one job
script that Snakemake wrote to SLURM with sbatch and prints the SLURM job
id. The job asks for the Snakemake job's threads (--cpus-per-task) and the
resources the way `snakemake --slurm` reads them: slurm_account,
slurm_partition, runtime (minutes), mem_mb or mem_mb_per_cpu, constraint,
cpus_per_task, slurm_extra (more sbatch options). An account or partition
not given is left to sbatch (SBATCH_ACCOUNT, SBATCH_PARTITION, the
cluster's default).

When the job ends, its exit status goes to .snakemake/slurm_status/ID.exit,
read by slurm_status.py once the controller has forgotten the job (a
cluster without accounting). Its output goes to
.snakemake/slurm_logs/rule_RULE/ID.log.

When sbatch refuses the job, one line says why and for which rule, and the
exit status is 1.

  slurm_submit.py JOBSCRIPT"""

import json
import os
import shlex
import subprocess
import sys
import time

STATUS_DIR = os.path.join(".snakemake", "slurm_status")
LOG_DIR = os.path.join(".snakemake", "slurm_logs")


class Refused(Exception):
    pass


def read_properties(jobscript):
    """The job's properties: the JSON of the job script's '# properties =' line."""
    prefix = "# properties = "
    with open(jobscript) as script:
        for line in script:
            if line.startswith(prefix):
                return json.loads(line[len(prefix):])
    raise Refused(f"{jobscript} has no '{prefix.strip()}' line (not a job script of Snakemake's)")


def job_label(properties):
    """'rule NAME' or 'group NAME', for names and messages."""
    if properties.get("type") == "group":
        return f"group {properties.get('groupid', 'job')}"
    return f"rule {properties.get('rule', 'job')}"


def sbatch_options(properties, log_file):
    """sbatch's options for the job (the job's resources, its name and log)."""
    resources = properties.get("resources", {})
    name = job_label(properties).replace(" ", "_")
    options = ["--parsable", f"--job-name=smk_{name}", f"--output={log_file}", "--export=ALL"]
    for resource, option in (("slurm_account", "--account"), ("slurm_partition", "--partition"),
                             ("runtime", "--time"), ("constraint", "--constraint")):
        if resources.get(resource) not in (None, ""):
            options.append(f"{option}={resources[resource]}")
    if resources.get("mem_mb_per_cpu"):
        options.append(f"--mem-per-cpu={resources['mem_mb_per_cpu']}")
    elif resources.get("mem_mb"):
        options.append(f"--mem={resources['mem_mb']}")
    options.append(f"--cpus-per-task={resources.get('cpus_per_task') or properties.get('threads') or 1}")
    if resources.get("slurm_extra"):
        options += shlex.split(str(resources["slurm_extra"]))
    return options


def wrapped(jobscript, status_dir):
    """The batch script: the job script, then its exit status kept in
    STATUS_DIR/$SLURM_JOB_ID.exit (written whole: a reader never sees half)."""
    exit_file = f"{shlex.quote(status_dir)}/$SLURM_JOB_ID.exit"
    return (f"/bin/sh {shlex.quote(jobscript)}; code=$?; "
            f"echo $code > {exit_file}.tmp && mv {exit_file}.tmp {exit_file}; exit $code")


def refusal(properties, options, output):
    """One line: the rule, what sbatch said, what the job asked for."""
    said = [line.split("error:", 1)[1].strip() if "error:" in line else line.strip()
            for line in output.splitlines() if line.strip()]
    asked = " ".join(option for option in options
                     if option.split("=", 1)[0] in ("--account", "--partition", "--time", "--mem",
                                                    "--mem-per-cpu", "--cpus-per-task", "--constraint"))
    line = f"sbatch refused the job of {job_label(properties)}: {'; '.join(said) or 'no reason given'} (asked: {asked})"
    if "partition" in output.lower():
        line += f"; the cluster's partitions: {partitions()}"
    return line


def partitions():
    """The cluster's partitions as sinfo lists them (the default marked *)."""
    try:
        done = subprocess.run(["sinfo", "-h", "-o", "%P"], capture_output=True, text=True)
    except FileNotFoundError:
        return "unknown (no sinfo)"
    return " ".join(done.stdout.split()) if done.returncode == 0 and done.stdout.strip() else "unknown"


def submit(jobscript):
    """The SLURM job id; Refused with the line to show."""
    properties = read_properties(jobscript)
    folder = "group_" + str(properties.get("groupid")) if properties.get("type") == "group" \
        else "rule_" + str(properties.get("rule"))
    os.makedirs(os.path.join(LOG_DIR, folder), exist_ok=True)
    os.makedirs(STATUS_DIR, exist_ok=True)
    options = sbatch_options(properties, os.path.join(LOG_DIR, folder, "%j.log"))
    started = time.time()
    try:
        done = subprocess.run(["sbatch", *options, "--wrap", wrapped(jobscript, os.path.abspath(STATUS_DIR))],
                              capture_output=True, text=True)
    except FileNotFoundError:
        raise Refused("no sbatch on PATH (run snakemake on a SLURM submit host)") from None
    if done.returncode != 0:
        raise Refused(refusal(properties, options, done.stderr + done.stdout))
    job_id = done.stdout.strip().split(";")[0]
    if not job_id.isdigit():
        raise Refused(f"sbatch gave no job id for {job_label(properties)}: {done.stdout.strip()!r}")
    # an exit file left by an earlier job of the same id (a cluster started anew) is not this job's
    stale = os.path.join(STATUS_DIR, f"{job_id}.exit")
    if os.path.exists(stale) and os.path.getmtime(stale) < started:
        os.remove(stale)
    return job_id


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: slurm_submit.py JOBSCRIPT\n")
        return 2
    try:
        print(submit(argv[1]))
    except (Refused, OSError, ValueError) as error:
        sys.stderr.write(f"slurm_submit: {error}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
