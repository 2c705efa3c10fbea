#!/usr/bin/env bash
# Takes the pictures of the Keyboard Configurator and the Automatic Stream
# Controls for docs/: runs shoot_dialogs on a virtual X display.
# Usage: tests/ui/dialog_screenshots.sh [BUILD_DIR [OUTPUT_DIR]]
set -euo pipefail
cd "$(dirname "$0")/../.."
program=$(realpath "${1:-build}/tests/ui/shoot_dialogs")
output=$(realpath "${2:-docs}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x800x24" "$program" "$output"
