#!/bin/bash
# A one-node SLURM cluster of Debian's slurm-wlm and munge, kept whole in one
# folder: its configuration, munge key and socket, ports, state, spool, logs
# and pid files. Run as root (slurmd starts jobs as their user).
#
#   slurm_cluster.sh start DIR   start munged, slurmctld and slurmd in DIR (a
#                                new or empty folder) and wait until the node
#                                takes jobs; then `export SLURM_CONF=DIR/slurm.conf`
#                                points sinfo, sbatch, srun (and snakemake) at it
#   slurm_cluster.sh stop DIR    stop the three daemons by their pid files
#
# The node: CPUS CPUs (default 2, at most the machine's), REAL_MEMORY MB
# (default 6000), partition main; MIN_JOB_AGE seconds (default 300) that the
# controller keeps a finished job for scontrol (there is no accounting
# database: sacct answers nothing).
set -euo pipefail

usage() { echo "usage: $0 start|stop DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
dir=$2

# A free TCP port on the loopback (the kernel's pick).
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Waits up to $1 seconds for the command that follows to succeed.
wait_for() {
  local seconds=$1; shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.5
  done
}

pid_alive() { [ -s "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

stop_daemon() {  # pid file, name
  local file=$1 name=$2 pid
  [ -s "$file" ] || return 0
  pid=$(cat "$file")
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    if ! wait_for 30 bash -c "! kill -0 $pid"; then
      echo "slurm_cluster: $name (pid $pid) did not stop on TERM; killing it" >&2
      kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  rm -f "$file"
}

# The cluster's jobs are cancelled first: slurmd leaves running jobs behind.
cancel_jobs() {
  pid_alive "$dir/run/slurmctld.pid" && [ -f "$dir/slurm.conf" ] || return 0
  export SLURM_CONF=$dir/slurm.conf
  local jobs
  jobs=$(squeue -h -o %i 2>/dev/null) || return 0
  [ -n "$jobs" ] || return 0
  # shellcheck disable=SC2086
  scancel $jobs 2>/dev/null || true
  wait_for 60 bash -c '[ -z "$(squeue -h -o %i)" ]' ||
    echo "slurm_cluster: jobs still in the queue after 60 s: $(squeue -h -o '%i %T' | tr '\n' ' ')" >&2
}

stop() {
  cancel_jobs
  stop_daemon "$dir/run/slurmd.pid" slurmd
  stop_daemon "$dir/run/slurmctld.pid" slurmctld
  stop_daemon "$dir/run/munged.pid" munged
}

# The end of a daemon's log, to say why it did not start.
fail_start() {
  echo "slurm_cluster: $1" >&2
  local log
  for log in "$dir"/log/*.log; do
    [ -s "$log" ] && { echo "--- $log" >&2; tail -n 15 "$log" >&2; }
  done
  stop
  exit 1
}

write_conf() {
  local host cpus memory
  host=$(hostname -s)
  cpus=${CPUS:-2}
  [ "$cpus" -le "$(nproc)" ] || cpus=$(nproc)
  memory=${REAL_MEMORY:-6000}
  cat > "$dir/slurm.conf" <<EOF
# One node, one partition, no accounting database (slurm_cluster.sh).
ClusterName=paralogs-test
SlurmctldHost=$host(127.0.0.1)
SlurmUser=root
SlurmdUser=root
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/munge.socket
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/run/slurmctld.pid
SlurmdPidFile=$dir/run/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU_Memory
ReturnToService=2
MpiDefault=none
MailProg=/bin/true
MinJobAge=${MIN_JOB_AGE:-300}
NodeName=node1 NodeAddr=127.0.0.1 CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=main Nodes=node1 Default=YES MaxTime=INFINITE State=UP
EOF
}

node_idle() { [ "$(sinfo -h -n node1 -o %T 2>/dev/null)" = idle ]; }

start() {
  [ "$(id -u)" -eq 0 ] || { echo "slurm_cluster: run as root (slurmd starts jobs as their user)" >&2; exit 1; }
  local program
  for program in munged mungekey slurmctld slurmd sinfo; do
    command -v "$program" >/dev/null || {
      echo "slurm_cluster: $program is not installed (make deps-cluster installs slurm-wlm and munge)" >&2; exit 1; }
  done
  mkdir -p "$dir"
  [ -z "$(ls -A "$dir")" ] || { echo "slurm_cluster: $dir is not empty" >&2; exit 1; }
  dir=$(cd "$dir" && pwd)
  mkdir -m 755 "$dir/munge"
  mkdir -m 700 "$dir/state" "$dir/spool" "$dir/run" "$dir/log"
  mungekey --create --keyfile="$dir/munge/munge.key" ||
    fail_start "mungekey could not create $dir/munge/munge.key"
  munged --force --socket="$dir/munge/munge.socket" --key-file="$dir/munge/munge.key" \
    --pid-file="$dir/run/munged.pid" --log-file="$dir/log/munged.log" --seed-file="$dir/munge/munged.seed" ||
    fail_start "munged did not start"
  wait_for 30 test -S "$dir/munge/munge.socket" || fail_start "munged made no socket in 30 s"
  write_conf
  export SLURM_CONF=$dir/slurm.conf
  slurmctld -i || fail_start "slurmctld did not start"
  slurmd -N node1 || fail_start "slurmd did not start"
  wait_for 60 node_idle || fail_start "the node is not idle after 60 s: $(sinfo -h -N -o '%N %T %E' 2>&1)"
  pid_alive "$dir/run/slurmctld.pid" || fail_start "slurmctld has stopped"
  echo "slurm_cluster: one node up in $dir; export SLURM_CONF=$dir/slurm.conf"
}

case $action in
  start) start ;;
  stop) dir=$(cd "$dir" 2>/dev/null && pwd) || exit 0; stop ;;
  *) usage ;;
esac
