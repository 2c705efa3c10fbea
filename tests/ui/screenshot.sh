#!/usr/bin/env bash
# Takes the main window's picture for docs/main-window.png: runs a short
# session against the built-in simulated box on a virtual X display (ports
# picked, Synchronize Data pressed) and saves the window.
# Usage: tests/ui/screenshot.sh [BUILD_DIR [OUTPUT]]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
output=${2:-docs/main-window.png}
cmake --build "$build" --target zm_snapshot >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A private runtime folder: nothing of the session lands in the user's.
XDG_RUNTIME_DIR="$work" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1600x900x24" "$build/tests/ui/zm_snapshot" main-window "$output"
