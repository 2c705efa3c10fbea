#!/usr/bin/env bash
# Configures (once) and builds one build directory.
# Usage: scripts/build.sh DIR [TARGET...] -- [CMAKE OPTIONS...]
set -euo pipefail
cd "$(dirname "$0")/.."

dir=$1; shift
targets=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do targets+=("$1"); shift; done
[ "${1:-}" = -- ] && shift

jobs=$(nproc 2>/dev/null || echo 2)
if [ ! -f "$dir/CMakeCache.txt" ] || [ $# -gt 0 ]; then
    cmake -S . -B "$dir" -DZM_WERROR=ON "$@" >/dev/null
fi
if [ ${#targets[@]} -gt 0 ]; then
    cmake --build "$dir" -j"$jobs" --target "${targets[@]}"
else
    cmake --build "$dir" -j"$jobs"
fi
