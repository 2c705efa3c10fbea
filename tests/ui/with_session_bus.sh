#!/usr/bin/env bash
# Runs a command on a private D-Bus session bus whose activation files live
# in a fresh temporary XDG_DATA_HOME (settings in a fresh XDG_CONFIG_HOME),
# offscreen; removes the folder after.
set -u
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zm_config_bus.XXXXXX")
export XDG_DATA_HOME="$tmp/data"
export XDG_RUNTIME_DIR="$tmp/run"
export XDG_CONFIG_HOME="$tmp/config"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_DATA_HOME/dbus-1/services"
mkdir -m 700 "$XDG_RUNTIME_DIR"
dbus-run-session -- "$@"
rc=$?
rm -rf "$tmp"
exit $rc
