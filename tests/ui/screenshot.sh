#!/usr/bin/env bash
# Takes the pictures in docs/: runs a short session against the built-in
# simulated box on a virtual X display (ports picked, Synchronize Data
# pressed; for the Keyboard View a smart dump of a box with one faulty key
# and some playing) and saves the window. For the report, that session's
# calibration report is exported and its first page drawn by pdftoppm, as a
# customer's PDF viewer would show it. For the compare window, the setup is
# saved, two zones and three parameters change, and the box is compared.
# Usage: tests/ui/screenshot.sh [BUILD_DIR [main-window|keyboard-view|report|compare-window [OUTPUT]]]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
what=${2:-main-window}
case $what in
    report) output=${3:-docs/calibration-report.png} ;;
    *) output=${3:-docs/$what.png} ;;
esac
cmake --build "$build" --target zm_snapshot >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A private runtime folder: nothing of the session lands in the user's.
target=$output
[ "$what" = report ] && target=$work/report.pdf
XDG_RUNTIME_DIR="$work" XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1600x900x24" "$build/tests/ui/zm_snapshot" "$what" "$target"
if [ "$what" = report ]; then
    pdftoppm -png -r 110 -f 1 -l 1 -singlefile "$target" "${output%.png}"
    echo "wrote $output"
fi
