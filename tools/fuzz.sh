#!/usr/bin/env bash
# Builds the fuzz targets (preset `fuzz`: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS seconds from its corpus.
#
#   tools/fuzz.sh SECONDS [TARGET...]     targets: timetable package version source text gtfs
#
# Inputs come from build-fuzz/corpus/<target> (kept between runs, where new inputs are added),
# the seeds (build-fuzz/seeds/<target>, written by zelvan_fuzz_seeds) and fuzz/regressions/<target>.
# A crash leaves its input in build-fuzz/artifacts/<target>/ and makes the script exit 1; copy
# the input into fuzz/regressions/<target>/ once it is fixed, so that ctest replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: tools/fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(timetable package version source text gtfs)

cmake --preset fuzz >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target zelvan_fuzz_seeds "${targets[@]/#/fuzz_}"
build-fuzz/bin/zelvan_fuzz_seeds build-fuzz/seeds

# Small inputs run fast and reach every parser state; the seeds of the sample timetable are
# larger and are cut to these lengths (which makes them damaged seeds, welcome too).
declare -A max_len=([timetable]=16384 [package]=20000 [version]=1024 [source]=24576 [text]=4096 [gtfs]=16384)
failed=0
for target in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$target" "build-fuzz/artifacts/$target" build-fuzz/logs
    inputs=("build-fuzz/corpus/$target" "build-fuzz/seeds/$target")
    [ -d "fuzz/regressions/$target" ] && inputs+=("fuzz/regressions/$target")
    log="build-fuzz/logs/$target.log"
    status=0
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
        -timeout=25 -dict="fuzz/dict/$target.dict" -artifact_prefix="build-fuzz/artifacts/$target/" \
        -print_final_stats=1 "${inputs[@]}" >"$log" 2>&1 || status=$?
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
    if [ "$status" -ne 0 ]; then
        failed=1
        echo "fuzz_$target: FAILED (exit $status), see $log; inputs in build-fuzz/artifacts/$target/"
        grep -E 'ERROR|property broken|SUMMARY' "$log" | head -5 || true
    else
        echo "fuzz_$target: ${done_line:-no summary}"
    fi
done
exit "$failed"
