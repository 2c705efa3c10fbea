#!/usr/bin/env bash
# Starts or stops a private JACK server for the MIDI tests and benchmarks:
# dummy driver, no realtime scheduling, a small port maximum (small shared
# memory). Each build directory uses its own server
# name, so builds never share a server.
#   scripts/jack-server.sh start NAME STATE_DIR   (returns once it answers)
#   scripts/jack-server.sh stop  NAME STATE_DIR
set -euo pipefail

cmd=${1:?start or stop}
name=${2:?server name}
dir=${3:?state directory}
pidfile="$dir/jackd-$name.pid"
logfile="$dir/jackd-$name.log"
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER="$name"

answers() { jack_lsp >/dev/null 2>&1; }

stop_server() {
    [ -f "$pidfile" ] || return 0
    local pid
    pid=$(cat "$pidfile")
    rm -f "$pidfile"
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 150); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    remove_stale_files
}

# A server killed hard leaves its socket and semaphores behind, and a new one
# of the same name then refuses to start. The name is ours alone.
remove_stale_files() {
    rm -f /dev/shm/jack_"$name"_* /dev/shm/jack_sem."$(id -u)"_"$name"_* 2>/dev/null || true
}

case "$cmd" in
start)
    command -v jackd >/dev/null || { echo "jackd is not installed (Debian package jackd2)" >&2; exit 1; }
    mkdir -p "$dir"
    stop_server
    if answers; then
        # Left over from an interrupted run of this same build directory.
        echo "JACK server $name is already running; using it"
        exit 0
    fi
    remove_stale_files
    # A period of 1024 frames (21 ms) leaves clients slowed down by a busy
    # machine time to finish their cycle; a client that misses it loses
    # that cycle's MIDI.
    jackd -n "$name" -r -p 64 -d dummy -p 1024 >"$logfile" 2>&1 </dev/null &
    echo $! >"$pidfile"
    for _ in $(seq 100); do
        if answers; then
            echo "JACK server $name running (pid $(cat "$pidfile"))"
            exit 0
        fi
        if ! kill -0 "$(cat "$pidfile")" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    echo "JACK server $name did not start; its log:" >&2
    cat "$logfile" >&2 || true
    stop_server
    exit 1
    ;;
stop)
    stop_server
    ;;
*)
    echo "usage: $0 start|stop NAME STATE_DIR" >&2
    exit 2
    ;;
esac
