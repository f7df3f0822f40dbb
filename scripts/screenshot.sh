#!/usr/bin/env bash
# Takes two screenshots of the main window on a virtual X display: the tetra
# spiral (no start file) and an ensemble (a start file naming a 60-taon cloud).
# Needs xvfb-run (package xvfb) and import (package imagemagick).
# Usage: scripts/screenshot.sh [output folder, default docs]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs}
mkdir -p "$out"
program=$PWD/build/vorun
[ -x "$program" ] || { echo "build first: cmake -S . -B build && cmake --build build" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A cloud of 60 taons at rest, written as one 3776-byte ensemble record:
# 80-bit little-endian reals, structure of arrays, occupancy bytes at 3712.
python3 - "$work/cloud.tvx" <<'PY'
import math, random, struct, sys
def ext(v):
    if v == 0:
        return bytes(10)
    m, e = math.frexp(abs(v))
    return int(m * 2**64).to_bytes(8, "little") + (((v < 0) << 15) | (e - 1 + 16383)).to_bytes(2, "little")
random.seed(7)
params = [0.001, 1, 2.718, 5, 10, 20, 1, 2.718, 5, 10, 20]
record = b"".join(ext(p) for p in params) + bytes(2)
coords = [[random.uniform(-1, 1) for _ in range(60)] for _ in range(3)]
for axis in coords:
    record += b"".join(ext(v) for v in axis)
record += bytes(600 * 3) + bytes([1] * 60) + bytes(4)
assert len(record) == 3776
open(sys.argv[1], "wb").write(record)
PY

shoot() {  # shoot <config home> <png>
  XDG_CONFIG_HOME=$1 xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    "$0" & pid=$!
    sleep 3
    import -window "Vorun - Quarvel" "$1"
    kill $pid' "$program" "$2"
}

mkdir -p "$work/spiral" "$work/cloud/vorun"
shoot "$work/spiral" "$out/main-window-spiral.png"
printf '%s' "$work/cloud.tvx" > "$work/cloud/vorun/Start.tvx2"
shoot "$work/cloud" "$out/main-window-ensemble.png"
echo "screenshots in $out"
