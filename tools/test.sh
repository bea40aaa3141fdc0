#!/usr/bin/env bash
# Builds Zelvan and runs every test: once in the normal build (warnings as errors), once with
# AddressSanitizer and UndefinedBehaviorSanitizer; then every fuzz target for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# The programs remember a passed timetable check in the user's cache; the tests' own stays here.
export XDG_CACHE_HOME="$(pwd)/build/test-cache"

cmake --preset dev >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake --preset asan >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"

tools/fuzz.sh 30
