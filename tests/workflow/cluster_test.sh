#!/bin/bash
# The SLURM profile (workflow/profiles/slurm) on a real one-node SLURM
# (slurm_cluster.sh: Debian's slurm-wlm and munge, 2 CPUs, 6000 MB, no
# accounting) started in a temporary folder, as root:
#
# - the example's typing (pairs: related, DCJ-indel, communities at 12) run
#   through the profile as shipped, without USER in the environment: its
#   batches are sbatch jobs, and its summary (but the solver's wall times)
#   and communities equal a local run's;
# - a job the controller has forgotten (MinJobAge lowered to 2 s) is told
#   from the exit status it left: success, and failed without it;
# - a job the cluster refuses: an unknown partition and more memory than the
#   node's (sbatch refuses), more CPUs than the node's (pending for ever:
#   cancelled): the run stops, one line says why, no traceback, nothing
#   left in the queue.
#
#   cluster_test.sh [--build DIR] [--keep]
#
# The daemons are stopped by their pid files whatever happens; --keep keeps
# the temporary folder (runs, logs of the daemons). Prints N passed, N failed.
set -uo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$repo/build
keep=0
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$(cd "$2" && pwd) || exit 1; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "usage: $0 [--build DIR] [--keep]" >&2; exit 2 ;;
  esac
done
[ -x "$build/paralogs" ] || { echo "cluster_test: no $build/paralogs (make programs)" >&2; exit 1; }
command -v snakemake >/dev/null || { echo "cluster_test: no snakemake (make deps)" >&2; exit 1; }

tmp=$(mktemp -d /tmp/cluster-test.XXXXXX)
cluster=$tmp/cluster
cleanup() {
  bash "$repo/tests/workflow/slurm_cluster.sh" stop "$cluster"
  if [ $keep -eq 1 ]; then echo "cluster_test: kept $tmp"; else rm -rf "$tmp"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

passed=0
failed=0
check() {  # what, then the command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $what"
  else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ $failed -eq 0 ]
  exit $?
}

started=$SECONDS
bash "$repo/tests/workflow/slurm_cluster.sh" start "$cluster" || { failed=1; finish; }
export SLURM_CONF=$cluster/slurm.conf
check "srun runs on the node" test "$(srun -N1 -n1 hostname 2>&1)" = "$(hostname)"

# The Makefile's typing, in a working folder of its own (its .snakemake too);
# a run that hangs (a job waiting for ever) fails after 10 minutes.
typing() {  # working folder, snakemake's options...
  local work=$1; shift
  mkdir -p "$work"
  (cd "$work" && env -u USER timeout -k 30 600 snakemake -s "$repo/workflow/Snakefile" "$@" \
     --config build="$build" genomes="$repo/workflow/example/collection.unimog" \
       pairs=related distance=dcj community_threshold=12 results=results) > "$work/run.log" 2>&1
}
# A table without the named column (the solver's wall time differs run to run).
without() {
  awk -F '\t' -v name="$2" 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == name) skip = i }
    { line = ""; for (i = 1; i <= NF; i++) if (i != skip) line = line (line == "" ? "" : "\t") $i; print line }' "$1"
}
same_table() { diff <(without "$1" wall_s) <(without "$2" wall_s) >&2; }
jobs_of() { ls "$1/.snakemake/slurm_logs/rule_$2" 2>/dev/null | sed 's/\.log$//'; }

local_started=$SECONDS
check "local typing" typing "$tmp/local" --cores 2
local_seconds=$((SECONDS - local_started))
cluster_started=$SECONDS
check "typing through the profile" typing "$tmp/slurm" --profile "$repo/workflow/profiles/slurm"
cluster_seconds=$((SECONDS - cluster_started))
batch_jobs=$(jobs_of "$tmp/slurm" typing_batch)
check "the batches ran as sbatch jobs (${batch_jobs//$'\n'/ })" test -n "$batch_jobs"
exits_zero() {
  local job
  for job in $batch_jobs; do [ "$(cat "$tmp/slurm/.snakemake/slurm_status/$job.exit" 2>/dev/null)" = 0 ] || return 1; done
}
check "every sbatch job left exit status 0" exits_zero
check "the summary equals the local run's" same_table "$tmp/local/results/summary.tsv" "$tmp/slurm/results/summary.tsv"
check "the communities equal the local run's" \
  cmp "$tmp/local/results/communities.tsv" "$tmp/slurm/results/communities.tsv"
[ $failed -eq 0 ] || tail -n 30 "$tmp/slurm/run.log"

# A job the controller has forgotten: its exit file answers.
forgotten() { ! scontrol show job "$1" >/dev/null 2>&1; }
wait_forgotten() {  # job id: up to 3 minutes (the controller purges once a minute or so)
  local deadline=$((SECONDS + 180))
  until forgotten "$1"; do [ $SECONDS -lt $deadline ] || return 1; sleep 1; done
}
status_of() {  # job id, the status wanted, words of its line (none: no line)
  local answer
  answer=$(cd "$tmp/slurm" && python3 "$repo/workflow/profiles/slurm/slurm_status.py" "$1" 2>"$tmp/status.err")
  [ "$answer" = "$2" ] || { echo "status of $1: $answer" >&2; return 1; }
  if [ -n "${3:-}" ]; then grep -q -- "$3" "$tmp/status.err"; else [ ! -s "$tmp/status.err" ]; fi
}
job=$(echo "$batch_jobs" | head -n 1)
if [ -n "$job" ]; then
  sed -i 's/^MinJobAge=.*/MinJobAge=2/' "$SLURM_CONF"
  scontrol reconfigure
  check "job $job forgotten by the controller" wait_forgotten "$job"
  check "forgotten job $job with exit status 0: success" status_of "$job" success
  mv "$tmp/slurm/.snakemake/slurm_status/$job.exit" "$tmp/slurm/$job.exit"
  check "forgotten job $job without exit status: failed, said" status_of "$job" failed "left no exit status"
fi

# Refused jobs: the run stops with one clear line.
refused() {  # what the line says, snakemake's options...
  local words=$1; shift
  typing "$tmp/refused" --profile "$repo/workflow/profiles/slurm" "$@" && return 1
  grep -q -- "$words" "$tmp/refused/run.log" || { tail -n 20 "$tmp/refused/run.log" >&2; return 1; }
  ! grep -q Traceback "$tmp/refused/run.log"
}
empty_queue() { [ -z "$(squeue -h -o %i)" ]; }
check "unknown partition: refused, said" refused \
  "slurm_submit: sbatch refused the job of rule typing_batch: invalid partition specified: nosuch" \
  --default-resources slurm_partition=nosuch
check "more memory than the node's: refused, said" refused \
  "slurm_submit: sbatch refused the job of rule typing_batch: Memory" \
  --set-resources typing_batch:mem_mb=100000
check "more CPUs than the node's: cancelled, said" refused "can never start here (PartitionConfig" \
  --set-threads typing_batch=4
check "nothing left in the queue" empty_queue

echo "cluster_test: local typing ${local_seconds} s, through SLURM ${cluster_seconds} s, all $((SECONDS - started)) s"
finish
