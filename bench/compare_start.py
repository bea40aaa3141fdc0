#!/usr/bin/env python3
"""Runs whole commands in turn, N rounds (so that a change in the machine's load hits them all
alike), and prints for each the median wall time and CPU time (user + system).

    bench/compare_start.py 200 'zelvan-cli --data /tmp/national route 肇元北 丽密连北' \
        "sqlite3 /tmp/national.sqlite '.read /tmp/route.sql'"
"""
import os
import shlex
import statistics
import sys
import time


def run(command):
    devnull = os.open(os.devnull, os.O_WRONLY)
    start = time.perf_counter()
    pid = os.posix_spawnp(command[0], command, os.environ,
                          file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 1)])
    _, _, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    os.close(devnull)
    return wall, usage.ru_utime + usage.ru_stime


def main():
    rounds = int(sys.argv[1])
    commands = [shlex.split(c) for c in sys.argv[2:]]
    times = [[] for _ in commands]
    for _ in range(rounds):
        for k, command in enumerate(commands):
            times[k].append(run(command))
    base = None
    for k, command in enumerate(commands):
        wall = statistics.median(t[0] for t in times[k]) * 1000
        cpu = statistics.median(t[1] for t in times[k]) * 1000
        base = base or wall
        print(f"{wall:7.2f} ms wall ({wall / base:4.2f})  {cpu:7.2f} ms CPU  {shlex.join(command)}")


if __name__ == "__main__":
    main()
