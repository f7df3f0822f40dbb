#!/usr/bin/env bash
# The README's Slurm job array on a real cluster: munged, slurmctld and slurmd
# for one node on this machine, configured in a temporary folder. The array
# script is taken from README.md itself and submitted with sbatch; every
# record and summary it gives must equal, byte for byte, those of the same
# script run here without Slurm. A cluster that does not start fails the
# test and shows the daemons' logs. The daemons are stopped by their process
# ids and their state removed, however the test ends.
#
# VORUN_BUILD names the build folder (default build/); VORUN_SWEEP_TASKS the
# array's tasks (default: the README's own 0-99, for sbatch --array);
# VORUN_CLUSTER_TIMEOUT the seconds to wait for the whole array (default 240).
set -euo pipefail
source "$(dirname "$0")/common.sh"

tasks=${VORUN_SWEEP_TASKS:-}
deadline=${VORUN_CLUSTER_TIMEOUT:-240}

need_packages slurm-wlm munge

scratch=$(mktemp -d /tmp/vorun-slurm-XXXXXX)
chmod 700 "$scratch"
mkdir -p "$scratch"/{munge,state,spool,log,work,local}
pids=()

stop_daemons() {
  local pid n
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    for ((n = 0; n < 100; n++)); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  pids=()
}
finish() {
  stop_daemons
  rm -rf "$scratch"
}
trap finish EXIT
trap 'exit 1' INT TERM

fail() {
  echo "slurm.sh: $*" >&2
  local log
  for log in "$scratch"/log/*; do
    [ -f "$log" ] || continue
    echo "==== $log" >&2
    cat "$log" >&2
  done
  exit 1
}

# Waits up to $1 seconds for the command after it to succeed, and gives up
# at once when a daemon started here has died. Each command a try runs is
# bounded by timeout: a client of a controller that is gone retries for long.
wait_for() {
  local until=$((SECONDS + $1)) pid
  shift
  while ((SECONDS < until)); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    for pid in "${pids[@]}"; do
      kill -0 "$pid" 2>/dev/null || return 1
    done
    sleep 0.2
  done
  return 1
}

# A port that nothing listens on, away from the default ones so that a
# cluster of this machine, if there is one, is not disturbed.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 20000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return
    fi
  done
}

# munge with a key of its own on a socket of its own.
head -c 1024 /dev/urandom > "$scratch/munge/munge.key"
chmod 400 "$scratch/munge/munge.key"
socket=$scratch/munge/munge.socket
munged --foreground --force --socket="$socket" --key-file="$scratch/munge/munge.key" \
  --pid-file="$scratch/munge/munged.pid" --seed-file="$scratch/munge/munged.seed" \
  --log-file="$scratch/log/munged.log" >> "$scratch/log/munged.out" 2>&1 &
pids+=($!)
wait_for 20 timeout 10 bash -c "munge --socket='$socket' -n | unmunge --socket='$socket'" || fail "munged did not start"

node=vorun-node
ctld_port=$(free_port)
slurmd_port=$(free_port)
while [ "$slurmd_port" = "$ctld_port" ]; do slurmd_port=$(free_port); done
conf=$scratch/slurm.conf
# The node offers more CPUs than the machine has (config_overrides lets it):
# a task spends most of its short life being started and ended, so several
# at a time per core keep the cores busy.
cpus=$(($(nproc) * 8))
# No cgroups: the plugins that need none track processes by their parents.
cat > "$conf" <<EOF
ClusterName=vorun-test
SlurmctldHost=$(hostname)(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
AuthType=auth/munge
AuthInfo=socket=$socket
CredType=cred/munge
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$scratch/state
SlurmdSpoolDir=$scratch/spool
SlurmctldPidFile=$scratch/slurmctld.pid
SlurmdPidFile=$scratch/slurmd.pid
SlurmctldLogFile=$scratch/log/slurmctld.log
SlurmdLogFile=$scratch/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
MailProg=/bin/true
ReturnToService=2
SchedulerParameters=sched_min_interval=0
MinJobAge=600
SlurmdParameters=config_overrides
NodeName=$node NodeHostname=$(hostname) NodeAddr=127.0.0.1 CPUs=$cpus State=UNKNOWN
PartitionName=sweep Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF=$conf

slurmctld -D -i -f "$conf" >> "$scratch/log/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -f "$conf" -N "$node" >> "$scratch/log/slurmd.out" 2>&1 &
pids+=($!)
node_idle() { [ "$(timeout 10 sinfo -h -n "$node" -o %t)" = idle ]; }
wait_for 60 node_idle || fail "the node did not come up: $(timeout 10 sinfo -N 2>&1 || true)"

# The sweep: the README's script as it stands, submitted from the folder it
# expects, with vorun-run on the PATH that sbatch hands to each task.
work=$scratch/work
make_ring "$work"
readme_block "tested by tests/cluster/slurm.sh" > "$work/sweep.sh"
export PATH=$build:$PATH
array=()
[ -n "$tasks" ] && array=(--array="$tasks")
job=$(cd "$work" && timeout 30 sbatch --parsable "${array[@]}" --output="$scratch/log/task-%A_%a.out" sweep.sh) ||
  fail "sbatch refused the README's script"
job=${job%%;*}
echo "slurm.sh: job $job submitted"

started=$SECONDS
# Done when the controller lists none of its tasks as pending or running
# and still knows the job.
array_done() {
  local queued
  queued=$(timeout 10 squeue -h -j "$job" -o %i) && [ -z "$queued" ] && timeout 10 scontrol -o show job "$job"
}
wait_for "$deadline" array_done ||
  fail "the array did not end within $deadline seconds, or a daemon died: $(timeout 10 squeue -j "$job" 2>&1 | head -5)"
echo "slurm.sh: the array ran in $((SECONDS - started)) s"

# Every task ended well, as Slurm saw it.
jobs=$(timeout 10 scontrol -o show job "$job") || fail "scontrol does not show job $job"
states=$(echo "$jobs" | grep -o 'JobState=[A-Z_]* .*ExitCode=[0-9:]*' |
  sed 's/JobState=\([A-Z_]*\) .*ExitCode=\([0-9:]*\)/\1 \2/' | sort | uniq -c)
count=$(echo "$jobs" | grep -c 'JobState=COMPLETED .*ExitCode=0:0' || true)
echo "slurm.sh: tasks by state and exit code:"
echo "$states"
[ "$count" -eq "$(echo "$jobs" | wc -l)" ] || fail "not every task completed"

# The same script for each task without Slurm, in a folder of its own.
cp "$work/ring.tvx" "$scratch/local/"
for f in "$work"/out/*.tvx; do
  task=$(basename "$f" .tvx)
  echo "${task#ring-}"
done | run_each "$scratch/local" "$work/sweep.sh" SLURM_ARRAY_TASK_ID
a1_of_task() { awk -v t="$1" 'BEGIN { printf "%.2f", (50 + t) / 100 }'; }
compare_sweep "$work" "$scratch/local" "$count" a1_of_task || fail "the sweep's results differ"
echo "slurm.sh: $count tasks, each record and summary identical to a run without Slurm"

stop_daemons
for pid in $(cat "$scratch"/*.pid "$scratch"/munge/*.pid 2>/dev/null); do
  if kill -0 "$pid" 2>/dev/null; then fail "daemon $pid still runs"; fi
done
echo "1 passed, 0 failed"
