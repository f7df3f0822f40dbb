#!/usr/bin/env bash
# Takes the screenshots of the readouts window and its plot during a run, on
# a virtual X display with a window manager, driving the real program the way
# a user would: the ensemble named on the command line, F9 to fit it into the
# scene, View > Readouts from the menu, Enter to run.
# Needs Xvfb (package xvfb), openbox, xdotool and import (imagemagick).
# Usage: scripts/screenshot-readouts.sh [output folder, default docs]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs}
mkdir -p "$out"
program=$PWD/build/vorun
[ -x "$program" ] || { echo "build first: cmake -S . -B build && cmake --build build" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A wide cloud of 60 taons at rest, which contracts under the default law
# during the run.
python3 scripts/make-cloud.py "$work/cloud.tvx" 40

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1400x620x24 -nolisten tcp &
pids+=($!)
export DISPLAY=$display
sleep 1
openbox &
pids+=($!)
sleep 1
mkdir -p "$work/config"
XDG_CONFIG_HOME=$work/config "$program" "$work/cloud.tvx" &
pids+=($!)

main=$(xdotool search --sync --onlyvisible --name '^Vorun - Quarvel$' | head -1)
sleep 2
xdotool windowmove --sync "$main" 20 40
xdotool windowactivate --sync "$main"
xdotool key --window "$main" F9
sleep 0.5
# View is the second entry of the menu bar, which the reported geometry puts
# about 12 pixels above the window's origin; Readouts is the last item of its
# menu, so Up from the opened menu reaches it.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 51)) $((Y - 12)) click 1
sleep 0.7
xdotool key Up Return
readouts=$(xdotool search --sync --onlyvisible --name '^Readouts$' | head -1)
sleep 1
xdotool windowactivate --sync "$main"
xdotool key --window "$main" Return
sleep "${RUN_SECONDS:-8}"
# Fit once more during the run: the cloud has moved since the start.
xdotool key --window "$main" F9
sleep 1
import -window "$readouts" "$out/readouts.png"
import -window root "$out/readouts-beside-main-window.png"
xdotool windowactivate --sync "$main"
xdotool key --window "$main" Escape
echo "screenshots in $out"
