#!/usr/bin/env python3
"""Writes the SQLite peer as a file for the sqlite3 shell: the timetable of a dumped data folder
in the peer's tables and indexes (bench/sqlite_peer.cpp), and route.sql, the station-to-station
question between two stations as the peer asks it.

    zelvan-cli --data /tmp/national dump /tmp/national-src
    bench/sqlite_file.py /tmp/national-src /tmp/national.sqlite 肇元北 丽密连北 > /tmp/route.sql
    sqlite3 /tmp/national.sqlite '.read /tmp/route.sql'
"""
import os
import sqlite3
import sys

SCHEMA = """
CREATE TABLE station (id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE train (id INTEGER PRIMARY KEY, name TEXT NOT NULL, kind INTEGER, factor INTEGER,
                    valid_from INTEGER, valid_until INTEGER, rule INTEGER);
CREATE TABLE stop (train INTEGER NOT NULL, seq INTEGER NOT NULL, station INTEGER NOT NULL,
                   arrival INTEGER NOT NULL, dwell INTEGER NOT NULL, km INTEGER NOT NULL,
                   PRIMARY KEY (train, seq)) WITHOUT ROWID;
"""
INDEXES = """
CREATE INDEX station_by_name ON station (name);
CREATE INDEX train_by_name ON train (name);
CREATE INDEX stop_by_station ON stop (station, train);
ANALYZE;
"""
ROUTE = """SELECT t.name, d.arrival + d.dwell, a.arrival, a.km - d.km
FROM stop AS d
JOIN stop AS a ON a.station = (SELECT id FROM station WHERE name = '{to}')
              AND a.train = d.train AND a.km >= d.km
JOIN train AS t ON t.id = d.train
WHERE d.station = (SELECT id FROM station WHERE name = '{frm}');"""


def rows(path):
    with open(path, encoding="utf-8") as lines:
        next(lines)
        for line in lines:
            yield line.rstrip("\n").split("\t")


def main():
    source, target, frm, to = sys.argv[1:5]
    if os.path.exists(target):
        os.remove(target)
    db = sqlite3.connect(target)
    db.executescript(SCHEMA)
    stations = {}
    for i, (name, _) in enumerate(rows(f"{source}/stations.tsv")):
        stations.setdefault(name, i)
        db.execute("INSERT INTO station VALUES (?, ?)", (i, name))
    trains = {}
    for i, (name, kind, factor, valid_from, valid_until, rule) in enumerate(
            rows(f"{source}/trains.tsv")):
        trains[name] = i
        db.execute("INSERT INTO train VALUES (?, ?, ?, ?, ?, ?, ?)",
                   (i, name, int(kind, 0), int(factor), int(valid_from), int(valid_until),
                    int(rule)))
    seq = {}
    for train, station, arrival, dwell, km in rows(f"{source}/stops.tsv"):
        t = trains[train]
        seq[t] = seq.get(t, -1) + 1
        # A station written as #N (a name that is not unique) is station N.
        s = int(station[1:]) if station.startswith("#") else stations[station]
        hours, minutes = arrival.split(":")
        db.execute("INSERT INTO stop VALUES (?, ?, ?, ?, ?, ?)",
                   (t, seq[t], s, int(hours) * 60 + int(minutes), int(dwell), int(km)))
    db.executescript(INDEXES)
    db.commit()
    print(ROUTE.format(frm=frm, to=to))


if __name__ == "__main__":
    main()
