#!/usr/bin/env python3
"""Runs commands alternately, N rounds, and prints each one's median wall time and peak resident memory.

Usage: alternate.py ROUNDS NAME=COMMAND... (each COMMAND is run through the shell, its output dropped).
The first command's median divided by the second's is printed as the ratio."""
import os
import resource
import statistics
import subprocess
import sys
import time


def run(command):
    start = time.perf_counter()
    process = subprocess.Popen(command, shell=True, stdout=subprocess.DEVNULL)
    # wait4 gives this child's own peak memory, not that of every child so far.
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit(f"bench: '{command}' failed with status {process.returncode}")
    return wall, usage.ru_maxrss * 1024  # ru_maxrss is in KiB on Linux


def main():
    rounds = int(sys.argv[1])
    named = [item.split("=", 1) for item in sys.argv[2:]]
    walls = {name: [] for name, _ in named}
    peaks = {name: 0 for name, _ in named}
    for _ in range(rounds):
        for name, command in named:
            wall, peak = run(command)
            walls[name].append(wall)
            peaks[name] = max(peaks[name], peak)
    medians = {name: statistics.median(values) for name, values in walls.items()}
    print(f"{'command':<28} {'median wall':>12} {'runs (ms)':<40} {'peak RSS':>10}")
    for name, _ in named:
        runs = " ".join(f"{w * 1000:.0f}" for w in walls[name])
        print(f"{name:<28} {medians[name] * 1000:>9.0f} ms {runs:<40} {peaks[name] / 1e6:>7.1f} MB")
    if len(named) >= 2:
        first, second = named[0][0], named[1][0]
        print(f"ratio {first} / {second}: {medians[first] / medians[second]:.2f}")
        # The two of a round run seconds apart: their ratio is less moved by a machine whose speed
        # drifts during the run (a shared host) than the ratio of the medians.
        paired = statistics.median(a / b for a, b in zip(walls[first], walls[second]))
        print(f"median of the per-round ratios: {paired:.2f}")


if __name__ == "__main__":
    main()
