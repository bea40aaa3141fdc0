#!/usr/bin/python3
"""Writes N copies of a GTFS feed side by side, for importing several feeds at once.

    bench/gtfs_copies.py FEED OUT N [--same-places]

FEED is a zip archive or a folder; OUT/copy1 ... OUT/copyN are folders. Every id a copy's files
join by (stops, parents, routes, trips, services, shapes, fares, agencies, zones) gets the
prefix "cK-", every stop name the suffix " K", and every coordinate moves K degrees of
longitude east: a turn about the earth's axis, so that every distance stays as it was and each
copy answers as the first one does, its stations far from the other copies' (no walks, no trips
published twice). Train numbers stay: the copies' trains stand under the same numbers.

With --same-places the names and coordinates stay: every copy publishes the first one's trips
again, and the import keeps each once (N times the stop times read, the trains of one copy).
"""
import csv
import io
import os
import sys
import zipfile

IDS = {"stop_id", "parent_station", "from_stop_id", "to_stop_id", "route_id", "from_route_id",
       "to_route_id", "trip_id", "from_trip_id", "to_trip_id", "service_id", "shape_id",
       "fare_id", "agency_id", "zone_id", "origin_id", "destination_id", "contains_id",
       "level_id"}
NAMES = {"stop_name"}
LONGITUDES = {"stop_lon", "shape_pt_lon"}


def read_feed(path):
    """File name -> text of every .txt file of the feed."""
    files = {}
    if os.path.isdir(path):
        for name in os.listdir(path):
            if name.endswith(".txt"):
                with open(os.path.join(path, name), encoding="utf-8-sig", newline="") as f:
                    files[name] = f.read()
    else:
        with zipfile.ZipFile(path) as z:
            for info in z.infolist():
                name = os.path.basename(info.filename)
                if name.endswith(".txt"):
                    files[name] = z.read(info).decode("utf-8-sig")
    return files


def copy_file(text, k, same_places):
    rows = csv.reader(io.StringIO(text, newline=""))
    header = next(rows, None)
    if header is None:
        return text
    header = [h.strip() for h in header]
    out = io.StringIO(newline="")
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(header)
    for row in rows:
        changed = []
        for column, value in zip(header, row):
            value = value.strip()
            if column in IDS and value:
                value = f"c{k}-{value}"
            elif same_places:
                pass
            elif column in NAMES and value:
                value = f"{value} {k}"
            elif column in LONGITUDES and value:
                try:
                    value = f"{float(value) + k:.9f}"
                except ValueError:
                    pass
            changed.append(value)
        writer.writerow(changed)
    return out.getvalue()


def main():
    args = [a for a in sys.argv[1:] if a != "--same-places"]
    same_places = len(args) < len(sys.argv) - 1
    if len(args) != 3:
        sys.exit(__doc__)
    feed, out, n = args[0], args[1], int(args[2])
    files = read_feed(feed)
    for k in range(1, n + 1):
        folder = os.path.join(out, f"copy{k}")
        os.makedirs(folder, exist_ok=True)
        for name, text in files.items():
            with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
                f.write(copy_file(text, k, same_places))


if __name__ == "__main__":
    main()
