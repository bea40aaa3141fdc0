#!/usr/bin/env python3
"""Writes route questions for `zelvan-cli batch` as JSON lines: for each, a random train of a
dumped timetable and two of its stops in running order, so that every question has an answer.

    zelvan-cli --data /tmp/national dump /tmp/national-src
    bench/route_questions.py /tmp/national-src 20000 > /tmp/route-questions.jsonl
"""
import json
import random
import sys


def main():
    source, count = sys.argv[1], int(sys.argv[2])
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    stops = {}
    with open(f"{source}/stops.tsv", encoding="utf-8") as lines:
        next(lines)
        for line in lines:
            train, station = line.split("\t")[:2]
            stops.setdefault(train, []).append(station)
    trains = sorted(t for t, s in stops.items() if len(s) >= 2)
    rng = random.Random(seed)
    for _ in range(count):
        run = stops[rng.choice(trains)]
        a, b = sorted(rng.sample(range(len(run)), 2))
        print(json.dumps({"command": "route", "from": run[a], "to": run[b], "date": "2026-06-15"},
                         ensure_ascii=False))


if __name__ == "__main__":
    main()
