#!/usr/bin/env bash
# Takes the main window's picture for docs/main-window.png: runs the program
# on a virtual X display, grabs the screen and crops it to the window.
# Usage: tests/ui/screenshot.sh [PROGRAM [OUTPUT]]
set -euo pipefail
cd "$(dirname "$0")/../.."
program=$(realpath "${1:-build/src/app/zm_config}")
output=${2:-docs/main-window.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/grab.sh" <<GRAB
#!/usr/bin/env bash
# A private data folder: the program's activation file must not land in the user's.
XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work" "$program" &
pid=\$!
sleep 3
import -window root "$work/screen.png"
kill \$pid
GRAB
chmod +x "$work/grab.sh"
xvfb-run -a -s "-screen 0 1280x800x24" "$work/grab.sh"
# The root window is black around the dialog: trim to the window.
convert "$work/screen.png" -trim +repage -strip "$output"
echo "wrote $output ($(identify -format '%wx%h' "$output"))"
