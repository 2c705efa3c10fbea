#!/usr/bin/env bash
# Golden test of the decoder's lines and control writes: runs
# `zmctl decode --controls` over MIDI streams as the box's input delivers
# them, and compares the output with decode_controls.expected, byte for byte.
#   reply_mix.hex       every reply kind the box sends, with short and odd frames
#   short_messages.hex  short messages between and inside the replies
#   cut_frames.hex      replies cut off by other messages or the stream's end
# Each stream is also read as raw bytes, which must print the same.
#   decode_golden.sh ZMCTL          compare (exit 1 and a diff on mismatch)
#   decode_golden.sh ZMCTL --update rewrite the expected file
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
zmctl=${1:?usage: decode_golden.sh ZMCTL [--update]}
streams=(reply_mix short_messages cut_frames)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The bytes of a hex stream, written out raw.
raw() {
    local byte
    for byte in $(cat "$1"); do
        printf "\\x$byte"
    done
}

run() {
    for name in "${streams[@]}"; do
        echo "== $name"
        "$zmctl" decode --hex --controls "$here/$name.hex"
    done
    echo "== reply_mix, smart report, every section"
    "$zmctl" decode --hex --controls --smart --sections keys,xopto,misc "$here/reply_mix.hex"
    echo "== reply_mix, smart report, 122 keys, misc"
    "$zmctl" decode --hex --controls --smart --keys 122 --sections misc "$here/reply_mix.hex"
}

for name in "${streams[@]}"; do
    raw "$here/$name.hex" > "$work/$name.syx"
    "$zmctl" decode --hex --controls "$here/$name.hex" > "$work/$name.hex.out"
    "$zmctl" decode --controls "$work/$name.syx" > "$work/$name.syx.out"
    if ! cmp -s "$work/$name.hex.out" "$work/$name.syx.out"; then
        echo "$name: the raw bytes decode differently from their hex text:" >&2
        diff -a "$work/$name.hex.out" "$work/$name.syx.out" | head -20 >&2
        exit 1
    fi
done

if [ "${2:-}" = --update ]; then
    run > "$here/decode_controls.expected"
    exit 0
fi
run > "$work/actual"
if ! cmp -s "$work/actual" "$here/decode_controls.expected"; then
    echo "decode output differs from decode_controls.expected:" >&2
    diff -a "$here/decode_controls.expected" "$work/actual" | head -40 >&2
    exit 1
fi
