#!/usr/bin/env bash
# One-off questions on a timetable of two million trains against the same questions on one of
# 26,000: the national network of seed 1 side by side with itself (zelvan-gen --copies), 154
# times and twice. Each question is about the first network, so both timetables give the same
# answer; what a question costs should grow with its answer, not with the timetable.
#
#   bench/large_timetable.sh [BUILD]      (default build-release; about 10 minutes the first
#                                          time, most of it writing the large timetable)
set -euo pipefail
build=${1:-build-release}
gen=$build/bin/zelvan-gen
cli=$build/bin/zelvan-cli
small=${ZELVAN_BENCH_SMALL:-/tmp/zelvan-copies-2}
large=${ZELVAN_BENCH_LARGE:-/tmp/zelvan-copies-154}
export XDG_CACHE_HOME=${XDG_CACHE_HOME:-/tmp/zelvan-bench-cache}

[ -f "$small/T.dat" ] || "$gen" "$small" --copies 2
[ -f "$large/T.dat" ] || /usr/bin/time -f 'zelvan-gen: %e s, %M KiB' "$gen" "$large" --copies 154
du -sh "$small" "$large"
# The first question on a timetable checks it; the pass is remembered until a file changes.
"$cli" --data "$small" check > /dev/null
/usr/bin/time -f 'check of the large timetable: %e s, %M KiB' "$cli" --data "$large" check > /dev/null

questions=(
    "--date 2026-06-15 route 肇元北 丽密连北"
    "--date 2026-06-15 station 北孝"
    "--date 2026-06-15 stops G101"
    "--date 2026-06-15 train G1010"
)
for question in "${questions[@]}"; do
    hyperfine -N -w 5 -r 40 --export-json /tmp/zelvan-large.json \
        "$cli --data $small $question" "$cli --data $large $question" > /dev/null
    python3 - "$question" <<'PY'
import json, sys
runs = json.load(open("/tmp/zelvan-large.json"))["results"]
small, large = (r["median"] * 1000 for r in runs)
print(f"{sys.argv[1]:45} 26,000 trains {small:6.2f} ms   2,002,000 trains {large:6.2f} ms"
      f"   ratio {large / small:4.2f}")
PY
    for data in "$small" "$large"; do
        # shellcheck disable=SC2086
        /usr/bin/time -f "    peak %M KiB ($data)" "$cli" --data "$data" $question > /dev/null
    done
done
