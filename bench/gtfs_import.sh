#!/usr/bin/env bash
# The import benchmark: the national timetable written as a GTFS feed (5 trips a train on
# services of other days), imported by zelvan-cli, against the sqlite3 shell loading the same
# CSV files with .import and indexing stop_times by stop and by trip.
#
#     bench/gtfs_import.sh [BUILD]      # default: build-release (zelvan-gen and zelvan-cli)
set -euo pipefail
build="${1:-build-release}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/bin/zelvan-gen" "$work/national" --gtfs "$work/feed"
du -sb "$work/feed"
cat > "$work/peer.sql" <<SQL
.mode csv
.import $work/feed/agency.txt agency
.import $work/feed/stops.txt stops
.import $work/feed/routes.txt routes
.import $work/feed/trips.txt trips
.import $work/feed/stop_times.txt stop_times
.import $work/feed/calendar.txt calendar
.import $work/feed/calendar_dates.txt calendar_dates
CREATE INDEX stop_times_stop ON stop_times(stop_id);
CREATE INDEX stop_times_trip ON stop_times(trip_id);
SQL
hyperfine --warmup 1 --runs 5 \
    --prepare "rm -rf $work/out $work/peer.db" \
    "$build/bin/zelvan-cli import gtfs $work/feed $work/out" \
    "sqlite3 $work/peer.db < $work/peer.sql"
rm -rf "$work/out"
/usr/bin/time -f "zelvan-cli import: %e s, peak %M KiB" \
    "$build/bin/zelvan-cli" import gtfs "$work/feed" "$work/out" > /dev/null
# Questions on the imported timetable against the native one of the same trains.
for data in "$work/national" "$work/out"; do
    hyperfine --warmup 2 --runs 10 -N \
        "$build/bin/zelvan-cli --data $data --date 2026-06-15 station 肇元北"
done
