#!/usr/bin/env python3
"""Times shell commands round by round, each round in a new order (the first round as given,
the next reversed, and so on), so that a drift over the session (the machine's load, or a file
system that slows down as the files of earlier runs are deleted) falls on every command alike
instead of on the ones timed last, as it does when each command's runs follow one another.
Prints a Markdown table of wall-clock medians and mean CPU times (user + system of the command
and its children), and each median over the first command's.

    interleaved_bench.py [--rounds N] [--warmup N] NAME=COMMAND...
"""
import argparse
import os
import statistics
import subprocess
import time


def run_once(command):
    """Wall-clock and CPU seconds of one run of command (through the shell)."""
    start = time.perf_counter()
    process = subprocess.Popen(command, shell=True, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit("failed: %s" % command)
    return wall, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=8)
    parser.add_argument("--warmup", type=int, default=1)
    parser.add_argument("commands", nargs="+", metavar="NAME=COMMAND")
    args = parser.parse_args()
    commands = [tuple(item.split("=", 1)) for item in args.commands]
    walls = {name: [] for name, _ in commands}
    cpus = {name: [] for name, _ in commands}
    for round_number in range(args.warmup + args.rounds):
        order = commands if round_number % 2 == 0 else commands[::-1]
        for name, command in order:
            wall, cpu = run_once(command)
            if round_number >= args.warmup:
                walls[name].append(wall)
                cpus[name].append(cpu)
    first = statistics.median(walls[commands[0][0]])
    print("| command | wall, median [s] | CPU, mean [s] | median / first's |")
    print("|:---|---:|---:|---:|")
    for name, _ in commands:
        median = statistics.median(walls[name])
        print("| %s | %.3f | %.2f | %.2f |" % (name, median, statistics.mean(cpus[name]),
                                              median / first))


if __name__ == "__main__":
    main()
