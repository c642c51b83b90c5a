#!/usr/bin/env bash
# A one-node Slurm cluster on this machine, for the farm tests and for trying
# `orbink farm` without a real cluster: munged, slurmctld and slurmd with a
# configuration generated for this machine's cores and memory, all their
# files in one folder.
#
#   tools/local-cluster.sh start   # prints the SLURM_CONF line to export
#   tools/local-cluster.sh stop
#
# The folder is $ORBINK_CLUSTER_DIR (default /tmp/orbink-cluster). The
# settings need neither systemd nor cgroups (a container is fine) and keep no
# accounting database, so sacct has nothing to say: `orbink farm status` then
# reads squeue and the task logs. Needs the Debian packages munge, slurmctld,
# slurmd and slurm-client (setup.sh installs them).
set -euo pipefail

dir="${ORBINK_CLUSTER_DIR:-/tmp/orbink-cluster}"
conf="$dir/slurm.conf"
wait_seconds="${ORBINK_CLUSTER_WAIT:-60}"

die() {
  echo "local-cluster: $*" >&2
  exit 1
}

# Ends the daemon whose pid file is given, if it still runs (and the pid is
# still that daemon's, not a later process's).
stop_daemon() {
  local pidfile="$1" name="$2"
  [ -f "$pidfile" ] || return 0
  local pid
  pid="$(cat "$pidfile")"
  if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$name" ]; then
    kill "$pid"
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
  fi
  rm -f "$pidfile"
}

stop() {
  stop_daemon "$dir/slurmd.pid" slurmd
  stop_daemon "$dir/slurmctld.pid" slurmctld
  stop_daemon "$dir/munged.pid" munged
  echo "local-cluster: stopped"
}

write_config() {
  local user node hardware
  user="$(id -un)"
  # The node line as slurmd measures this machine, addressed on loopback.
  hardware="$(slurmd -C | head -n 1)" || die "slurmd -C cannot describe this machine"
  node="$(sed -n 's/^NodeName=\([^ ]*\).*/\1/p' <<<"$hardware")"
  cat >"$conf" <<EOF
ClusterName=orbink
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=${ORBINK_CLUSTER_PORT:-6817}
SlurmdPort=$(( ${ORBINK_CLUSTER_PORT:-6817} + 1 ))
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/munge.socket
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
ReturnToService=2
SlurmdTimeout=30
InactiveLimit=0
MinJobAge=3600
$hardware NodeAddr=127.0.0.1 State=UNKNOWN
PartitionName=local Nodes=ALL Default=YES MaxTime=INFINITE State=UP
EOF
}

start() {
  for tool in munged mungekey slurmctld slurmd sinfo; do
    command -v "$tool" >/dev/null 2>&1 || die "$tool is not installed (run ./setup.sh)"
  done
  # A cluster from an earlier start is replaced.
  [ -f "$conf" ] && stop >/dev/null
  mkdir -p "$dir/munge" "$dir/state" "$dir/spool"
  chmod 700 "$dir/munge"
  [ -f "$dir/munge/munge.key" ] || mungekey --create --keyfile="$dir/munge/munge.key" >/dev/null
  chmod 600 "$dir/munge/munge.key"
  write_config
  export SLURM_CONF="$conf"

  munged --key-file="$dir/munge/munge.key" --socket="$dir/munge/munge.socket" --pid-file="$dir/munged.pid" \
    --log-file="$dir/munged.log" --seed-file="$dir/munge/munge.seed" --force ||
    die "munged did not start: $(tail -n 1 "$dir/munged.log" 2>/dev/null)"
  slurmctld -f "$conf" -c || die "slurmctld did not start: $(tail -n 1 "$dir/slurmctld.log" 2>/dev/null)"
  slurmd -f "$conf" -c || die "slurmd did not start: $(tail -n 1 "$dir/slurmd.log" 2>/dev/null)"

  # Ready when the node takes jobs.
  local state=""
  for _ in $(seq $((wait_seconds * 2))); do
    state="$(timeout 5 sinfo -h -N -o %T 2>/dev/null | head -n 1 || true)"
    case "$state" in idle | mixed | allocated) break ;; esac
    sleep 0.5
  done
  case "$state" in
    idle | mixed | allocated) ;;
    *)
      echo "local-cluster: the node is not ready after ${wait_seconds} s (state \"$state\"); last log lines:" >&2
      tail -n 5 "$dir/slurmctld.log" "$dir/slurmd.log" >&2 2>/dev/null || true
      stop >/dev/null
      exit 1
      ;;
  esac
  echo "local-cluster: ready; export SLURM_CONF=$conf"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) die "usage: tools/local-cluster.sh start|stop" ;;
esac
