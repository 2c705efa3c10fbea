#!/usr/bin/env bash
# Runs the on-screen test on a virtual 1920 x 1080 X display at Qt scale
# factor SCALE. Skipped (exit 77) where xvfb-run is not installed.
# Usage: tests/ui/on_screen.sh TEST_PROGRAM SCALE
set -euo pipefail
program=$1
scale=$2
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "xvfb-run is not installed: skipped (scripts/deps.sh test installs it)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" \
    xvfb-run -a -s "-screen 0 1920x1080x24" "$program"
