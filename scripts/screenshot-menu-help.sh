#!/usr/bin/env bash
# Takes two screenshots on a virtual X display: the main window with the View
# menu and its "Show Images" submenu opened, and the help window (F1).
# Needs xvfb-run (package xvfb), xdotool and import (package imagemagick).
# Usage: scripts/screenshot-menu-help.sh [output folder, default docs]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs}")
mkdir -p "$out"
program=$PWD/build/vorun
[ -x "$program" ] || { echo "build first: cmake -S . -B build && cmake --build build" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Without a window manager the menus are windows of their own, so the menu
# shot is cut from the whole screen around the main window.
XDG_CONFIG_HOME=$work xvfb-run -a -s "-screen 0 1000x700x24" bash -c '
  "$0" & pid=$!
  sleep 3
  wid=$(xdotool search --name "Vorun - Quarvel" | head -1)
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  xdotool mousemove $((X + 52)) $((Y + 8)) click 1   # "View" in the menu bar
  sleep 1
  xdotool mousemove $((X + 80)) $((Y + 30))          # onto "Show Images"
  sleep 1.5
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1/main-window-menu.png"
  xdotool key Escape key Escape
  sleep 0.5
  xdotool windowfocus "$wid" key F1
  sleep 2
  import -window "$(xdotool search --name "Vorun Help" | head -1)" "$1/help-window.png"
  kill $pid' "$program" "$out"
echo "screenshots in $out"
