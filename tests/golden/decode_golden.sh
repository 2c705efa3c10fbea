#!/usr/bin/env bash
# Golden test of the decoder's lines and control writes: runs
# `zmctl decode --controls` over the fuzzer's seed corpus and over a mix of
# every reply kind (reply_mix.hex) and compares the output with
# decode_controls.expected, byte for byte.
#   decode_golden.sh ZMCTL          compare (exit 1 and a diff on mismatch)
#   decode_golden.sh ZMCTL --update rewrite the expected file
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
zmctl=${1:?usage: decode_golden.sh ZMCTL [--update]}
corpus="$here/../../fuzz/corpus"

run() {
    for f in "$corpus"/*; do
        echo "== corpus $(basename "$f")"
        "$zmctl" decode --controls "$f"
    done
    echo "== mix"
    "$zmctl" decode --hex --controls "$here/reply_mix.hex"
    echo "== mix, smart report, every section"
    "$zmctl" decode --hex --controls --smart --sections keys,xopto,misc "$here/reply_mix.hex"
    echo "== mix, smart report, 122 keys, misc"
    "$zmctl" decode --hex --controls --smart --keys 122 --sections misc "$here/reply_mix.hex"
}

if [ "${2:-}" = --update ]; then
    run > "$here/decode_controls.expected"
    exit 0
fi
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
run > "$actual"
if ! cmp -s "$actual" "$here/decode_controls.expected"; then
    echo "decode output differs from decode_controls.expected:" >&2
    diff -a "$here/decode_controls.expected" "$actual" | head -40 >&2
    exit 1
fi
