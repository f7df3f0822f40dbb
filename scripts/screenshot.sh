#!/usr/bin/env bash
# Takes two screenshots of the main window on a virtual X display: the tetra
# spiral (no start file) and an ensemble (a start file naming a 60-taon cloud).
# Needs xvfb-run (package xvfb), import (package imagemagick) and xwininfo
# (package x11-utils).
# Usage: scripts/screenshot.sh [output folder, default docs]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs}
mkdir -p "$out"
program=$PWD/build/vorun
[ -x "$program" ] || { echo "build first: cmake -S . -B build && cmake --build build" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A cloud of 60 taons at rest within the unit cube.
python3 scripts/make-cloud.py "$work/cloud.tvx" 1

# The title names the ensemble's file before the program, so the window is
# found by the end of its title (xwininfo, package x11-utils).
shoot() {  # shoot <config home> <png>
  XDG_CONFIG_HOME=$1 xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    "$0" & pid=$!
    sleep 3
    id=$(xwininfo -root -tree | grep -m1 "Vorun - Quarvel\"" | awk "{print \$1}")
    import -window "$id" "$1"
    kill $pid' "$program" "$2"
}

mkdir -p "$work/spiral" "$work/cloud/vorun"
shoot "$work/spiral" "$out/main-window-spiral.png"
printf '%s' "$work/cloud.tvx" > "$work/cloud/vorun/Start.tvx2"
shoot "$work/cloud" "$out/main-window-ensemble.png"
echo "screenshots in $out"
