#!/usr/bin/env python3
"""The profile's status command (Snakemake's `cluster-status:`): prints
running, success or failed for one SLURM job id that slurm_submit.py gave.

It asks the controller (scontrol), then the accounting (sacct), then the
exit status the job itself left in .snakemake/slurm_status/ID.exit: a
cluster without accounting forgets a finished job after MinJobAge seconds,
and a job that left no exit status was stopped by SLURM (time limit,
memory, cancelled, node failure). A pending job that can never start (its
partition or constraints cannot hold it) is cancelled and failed. Each end
other than success is said in one line on standard error.

  slurm_status.py JOBID"""

import glob
import os
import re
import subprocess
import sys

STATUS_DIR = os.path.join(".snakemake", "slurm_status")
LOG_DIR = os.path.join(".snakemake", "slurm_logs")
STILL_RUNNING = {"PENDING", "RUNNING", "CONFIGURING", "COMPLETING", "SUSPENDED", "REQUEUED", "REQUEUE_HOLD",
                 "REQUEUE_FED", "RESIZING", "SIGNALING", "STAGE_OUT"}
# pending reasons that do not pass by themselves, with what they mean
NEVER_STARTS = {
    "PartitionConfig": "it asks for more CPUs or memory than a node of its partition has",
    "PartitionTimeLimit": "its time limit (runtime) is above its partition's",
    "BadConstraints": "no node meets its constraints",
    "InvalidAccount": "its account is not one of the cluster's",
    "InvalidQOS": "its QOS is not one of the cluster's",
}


def run(command):
    """(exit status, standard output, standard error); 127 when missing."""
    try:
        done = subprocess.run(command, capture_output=True, text=True)
    except FileNotFoundError:
        return 127, "", f"no {command[0]} on PATH"
    return done.returncode, done.stdout, done.stderr


def controller_state(job_id):
    """(state, reason) from scontrol; (None, None) when the controller does
    not know the job; (None, error) when it does not answer."""
    code, out, err = run(["scontrol", "-o", "show", "job", job_id])
    if code != 0:
        return (None, None) if "Invalid job id" in err else (None, err.strip() or f"scontrol exit {code}")
    state = re.search(r"\bJobState=(\S+)", out)
    reason = re.search(r"\bReason=(\S+)", out)
    return (state.group(1) if state else None), (reason.group(1) if reason else "")


def accounting_state(job_id):
    """The job's state in the accounting (sacct), None without."""
    code, out, _ = run(["sacct", "-X", "-n", "-P", "-o", "State", "-j", job_id])
    words = out.split() if code == 0 else []
    return words[0].rstrip("+") if words else None


def exit_file_status(job_id):
    """The exit status the job wrote, None when it wrote none."""
    try:
        with open(os.path.join(STATUS_DIR, f"{job_id}.exit")) as status:
            return int(status.read().strip())
    except (OSError, ValueError):
        return None


def log_of(job_id):
    logs = glob.glob(os.path.join(LOG_DIR, "*", f"{job_id}.log"))
    return f"; its output: {logs[0]}" if logs else ""


def status_of_state(job_id, state):
    """(status, line or None) for a state SLURM gave."""
    if state in STILL_RUNNING:
        return "running", None
    if state == "COMPLETED":
        return "success", None
    return "failed", f"SLURM job {job_id} ended {state}{log_of(job_id)}"


def status(job_id):
    """(running|success|failed, the line to show or None)."""
    state, reason = controller_state(job_id)
    if state is None and reason:
        return "running", f"SLURM's controller does not answer for job {job_id} ({reason}); asking again"
    if state == "PENDING" and reason in NEVER_STARTS:
        run(["scancel", job_id])
        return "failed", f"SLURM job {job_id} can never start here ({reason}: {NEVER_STARTS[reason]}); cancelled it"
    if state is None:
        state = accounting_state(job_id)
    if state is not None:
        return status_of_state(job_id, state)
    code = exit_file_status(job_id)
    if code is None:
        return "failed", (f"SLURM job {job_id} is gone and left no exit status: SLURM stopped it"
                          f" (time limit, memory, cancelled, node failure){log_of(job_id)}")
    if code != 0:
        return "failed", f"SLURM job {job_id} ended with exit status {code}{log_of(job_id)}"
    return "success", None


def main(argv):
    if len(argv) != 2 or not argv[1].isdigit():
        sys.stderr.write("usage: slurm_status.py JOBID\n")
        return 2
    answer, line = status(argv[1])
    if line:
        sys.stderr.write(f"slurm_status: {line}\n")
    print(answer)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
