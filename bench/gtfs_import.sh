#!/usr/bin/env bash
# The import benchmark: the national timetable written as a GTFS feed (5 trips a train on
# services of other days), imported by zelvan-cli, against the sqlite3 shell loading the same
# CSV files with .import and indexing stop_times by stop and by trip; then ten copies of that
# feed that all publish the same trips (10 million stop times, one copy's trains); then ten
# copies of the real railway side by side (ten feeds, ten networks), when it is there.
#
#     bench/gtfs_import.sh [BUILD] [COPIES]   # default: build-release (zelvan-gen and zelvan-cli), 10
set -euo pipefail
build="${1:-build-release}"
copies="${2:-10}"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/bin/zelvan-gen" "$work/national" --gtfs "$work/feed"

# Imports FEEDS... against sqlite3 loading the same files (tables in common, rows appended).
compare() {
    local name="$1"
    shift
    du -scb "$@" | tail -1 | sed "s/total/$name: bytes of CSV/"
    {
        echo ".mode csv"
        local first=1
        for feed in "$@"; do
            for file in agency stops routes trips stop_times calendar calendar_dates shapes; do
                [ -f "$feed/$file.txt" ] || continue
                if [ "$first" = 1 ] || [ ! -f "$1/$file.txt" ]; then
                    echo ".import $feed/$file.txt $file"
                else
                    echo ".import --skip 1 $feed/$file.txt $file"
                fi
            done
            first=0
        done
        echo "CREATE INDEX stop_times_stop ON stop_times(stop_id);"
        echo "CREATE INDEX stop_times_trip ON stop_times(trip_id);"
    } > "$work/peer.sql"
    hyperfine --warmup 1 --runs 3 \
        --prepare "rm -rf $work/out $work/peer.db" \
        "$build/bin/zelvan-cli import gtfs $* $work/out" \
        "sqlite3 $work/peer.db < $work/peer.sql"
    rm -rf "$work/out"
    /usr/bin/time -f "$name: zelvan-cli import: %e s, user %U s, system %S s, peak %M KiB" \
        "$build/bin/zelvan-cli" import gtfs "$@" "$work/out" | tail -4
    rm -rf "$work/out" "$work/peer.db"
    /usr/bin/time -f "$name: sqlite3: %e s, user %U s, system %S s, peak %M KiB" \
        sqlite3 "$work/peer.db" < "$work/peer.sql"
    rm -f "$work/peer.db"
}

compare "national feed" "$work/feed"
# Questions on the imported timetable against the native one of the same trains.
"$build/bin/zelvan-cli" import gtfs "$work/feed" "$work/imported" > /dev/null
for data in "$work/national" "$work/imported"; do
    hyperfine --warmup 2 --runs 10 -N \
        "$build/bin/zelvan-cli --data $data --date 2026-06-15 station 肇元北"
done
rm -rf "$work/imported"

/usr/bin/python3 "$here/gtfs_copies.py" "$work/feed" "$work/same" "$copies" --same-places
compare "$copies copies publishing the same trips" "$work"/same/copy*
rm -rf "$work/same"

# The railway has 2,067 trains: ten copies pass the 16,384 of the record files' narrow form.
railway="$here/../../shared/gtfs/lirr-2026-09-23.zip"
railways="$copies"
if [ -f "$railway" ]; then
    /usr/bin/python3 "$here/gtfs_copies.py" "$railway" "$work/railways" "$railways"
    compare "one copy of the railway" "$work/railways/copy1"
    compare "$railways copies of the railway side by side" "$work"/railways/copy*
fi
