#!/usr/bin/env bash
# The README's GNU parallel sweep, taken from README.md itself and run on
# this machine without ssh (its "nodes" file names ":", this machine). Every
# record and summary it gives must equal, byte for byte, those of the same
# command for that value run here on its own.
#
# VORUN_BUILD names the build folder (default build/).
set -euo pipefail
source "$(dirname "$0")/common.sh"

need_packages parallel

scratch=$(mktemp -d /tmp/vorun-parallel-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch"/{work,local}
work=$scratch/work
make_ring "$work"
cp "$work/ring.tvx" "$scratch/local/"
echo ":" > "$work/nodes"
readme_block "tested by tests/cluster/parallel.sh" > "$work/sweep.sh"
export PATH=$build:$PATH

started=$SECONDS
(cd "$work" && timeout 300 bash sweep.sh) || {
  echo "parallel.sh: the README's sweep failed" >&2
  exit 1
}
echo "parallel.sh: the sweep ran in $((SECONDS - started)) s"

# Each value's command alone: the one line of the README's command with
# GNU parallel's {} put in by hand, not by GNU parallel.
command=$(sed -n '/parallel /,$p' "$work/sweep.sh" | sed 's/\\$//' | tr '\n' ' ' |
  sed 's/.*--workdir \. *//')
echo "$command" | grep -q '^vorun-run ' || {
  echo "parallel.sh: no vorun-run command found in the README's block" >&2
  exit 1
}
printf '%s\n' "mkdir -p out" "${command//\{\}/\$\{VALUE\}}" > "$scratch/one.sh"
started=$SECONDS
ls "$work/out" | sed -n 's/^ring-\(.*\)\.tvx$/\1/p' | run_each "$scratch/local" "$scratch/one.sh" VALUE
echo "parallel.sh: each value on its own ran in $((SECONDS - started)) s"

count=$(seq 50 149 | wc -l)
a1_of_value() { awk -v v="$1" 'BEGIN { printf "%.2f", v / 100 }'; }
compare_sweep "$work" "$scratch/local" "$count" a1_of_value || {
  echo "parallel.sh: the sweep's results differ" >&2
  exit 1
}
echo "parallel.sh: $count values, each record and summary identical to a run on its own"
echo "1 passed, 0 failed"
