#!/usr/bin/env bash
# Installs what is missing, builds zm_config and starts it.
# Arguments are passed on to the program.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh run
scripts/build.sh build zm_config

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'MSG'
zm_config is a desktop program and there is no display here (neither DISPLAY
nor WAYLAND_DISPLAY is set). To run it anyway:
  on a virtual X display:   xvfb-run -a ./run.sh      (apt-get install xvfb)
  with no display at all:   QT_QPA_PLATFORM=offscreen ./run.sh
MSG
    exit 2
fi
exec build/src/app/zm_config "$@"
