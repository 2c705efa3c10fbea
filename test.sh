#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. the full suite (MIDI against a private JACK server, protocol,
#      GUI offscreen, automation on a private D-Bus session bus, zmctl);
#   2. the full suite again under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the threaded parts (capture, thru, transmitter) under ThreadSanitizer;
#   4. the reply-decoder fuzzer and the simulated-box fuzzer, each for
#      ZM_FUZZ_SECONDS (default 60) seconds.
# Each stage has its own build directory; rebuilding is incremental.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh test

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc 2>/dev/null || echo 2)
ctest_args=(--output-on-failure --timeout 300 -j"$jobs")

stage() { printf '\n==== %s ====\n' "$*"; }

stage "build and test"
scripts/build.sh build
ctest --test-dir build "${ctest_args[@]}"

stage "AddressSanitizer + UndefinedBehaviorSanitizer"
scripts/build.sh build-asan -- -DZM_SANITIZE=address,undefined -DZM_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan "${ctest_args[@]}"

stage "ThreadSanitizer (threaded parts)"
scripts/build.sh build-tsan -- -DZM_SANITIZE=thread -DZM_BUILD_GUI=OFF -DZM_BUILD_BENCH=OFF -DZM_BUILD_TOOLS=OFF -DCMAKE_BUILD_TYPE=Debug
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir build-tsan -L threaded "${ctest_args[@]}"

if [ -f fuzz/CMakeLists.txt ] && grep -q add_executable fuzz/CMakeLists.txt; then
    stage "fuzzing the decoder and the simulated box, ${ZM_FUZZ_SECONDS:-60} s each"
    CXX=clang++ scripts/build.sh build-fuzz -- -DZM_BUILD_FUZZ=ON -DZM_BUILD_GUI=OFF -DZM_BUILD_TESTS=OFF \
        -DZM_BUILD_BENCH=OFF -DZM_BUILD_TOOLS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fuzz/run.sh build-fuzz "${ZM_FUZZ_SECONDS:-60}" decoder_fuzzer
    fuzz/run.sh build-fuzz "${ZM_FUZZ_SECONDS:-60}" box_fuzzer
fi

stage "all tests passed"
