#!/usr/bin/env bash
# Runs one fuzzer for a while on a scratch copy of its seed corpus:
# decoder_fuzzer (the reply decoder, fuzz/corpus) or box_fuzzer (the
# simulated box, fuzz/corpus-box).
#   fuzz/run.sh BUILD_DIR SECONDS [FUZZER]
# Exits non-zero when the fuzzer finds a crash, a leak or a hang; the input
# that caused it is kept in BUILD_DIR/fuzz-findings/ and printed as hex.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}
seconds=${2:?usage: fuzz/run.sh BUILD_DIR SECONDS}
name=${3:-decoder_fuzzer}
case "$name" in
    decoder_fuzzer) corpus=fuzz/corpus ;;
    box_fuzzer) corpus=fuzz/corpus-box ;;
    *) echo "fuzz/run.sh: unknown fuzzer $name" >&2; exit 2 ;;
esac
fuzzer="$build/fuzz/$name"
[ -x "$fuzzer" ] || { echo "fuzz/run.sh: $fuzzer not built" >&2; exit 2; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/zm-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cp "$corpus"/* "$scratch/"
findings="$build/fuzz-findings/$name"
mkdir -p "$findings"

status=0
"$fuzzer" "$scratch" \
    -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -error_exitcode=77 -timeout_exitcode=78 -print_final_stats=1 \
    -artifact_prefix="$findings/" || status=$?

if [ "$status" -ne 0 ]; then
    echo "fuzz/run.sh: $name failed (status $status); findings in $findings:" >&2
    for f in "$findings"/*; do
        [ -f "$f" ] && { echo "$f:"; od -An -tx1 "$f" | head -20; }
    done >&2
    exit 1
fi
echo "fuzz/run.sh: $name: no failures in $seconds s"
