#!/usr/bin/env python3
"""Instructions per question of one or more builds of zelvan_question_loop, counted by callgrind:
the difference between 70 and 20 questions, divided by 50, so that the tables a process builds
on its way (within its first 16 questions) drop out.

    bench/count_instructions.py /tmp/national BUILD/bin/zelvan_question_loop [OTHER_BUILD ...]
"""
import subprocess
import sys

QUESTIONS = ["route", "route_answer", "station", "station_answer", "number_1", "number_G101",
             "suggest", "transfer"]


def collected(program, data, question, count):
    out = subprocess.run(
        ["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
         "--toggle-collect=*askRepeatedly*", program, data, question, str(count)],
        capture_output=True, text=True, check=True).stderr
    return int(next(line for line in out.splitlines() if "Collected" in line).split()[-1])


def main():
    data, programs = sys.argv[1], sys.argv[2:]
    low, high = 20, 70
    for question in QUESTIONS:
        counts = [(collected(p, data, question, high) - collected(p, data, question, low)) //
                  (high - low) for p in programs]
        print(f"{question:16s}" + "".join(f"{c:14,d}" for c in counts))


if __name__ == "__main__":
    main()
