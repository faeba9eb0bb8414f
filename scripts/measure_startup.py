#!/usr/bin/env python3
"""CPU time of the programs' start against a C++ hello-world built with the
same flags (bench/startup/hello_world.cpp).

    scripts/measure_startup.py [--build BUILD_DIR] [--runs N]

Runs every command N times, interleaved so that the machine's load falls on
all of them alike, and takes each run's user + system time from the kernel's
accounting of the waited-for child (getrusage(RUSAGE_CHILDREN)), not from the
wall clock. Prints the mean and median per run and each program's ratio to the
hello-world. Build in Release (or RelWithDebInfo) first.
"""
import argparse
import resource
import statistics
import subprocess
import sys
from pathlib import Path


def cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build", help="build directory (default: build)")
    parser.add_argument("--runs", type=int, default=300, help="runs of each command")
    args = parser.parse_args()
    build = Path(args.build)
    commands = {
        "hello_world": [build / "bench/startup/hello_world"],
        "kzomaker --version": [build / "converter/app/kzomaker", "--version"],
        "kzoview --version": [build / "viewer/app/kzoview", "--version"],
        "kzodump --version": [build / "tools/kzodump", "--version"],
    }
    for name, command in commands.items():
        if not command[0].is_file():
            sys.exit(f"missing {command[0]}: build it first")
    times = {name: [] for name in commands}
    for _ in range(args.runs):
        for name, command in commands.items():
            before = cpu_seconds()
            subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
            times[name].append(cpu_seconds() - before)
    floor = statistics.mean(times["hello_world"])
    print(f"{args.runs} runs each, CPU time (user + system) per run")
    for name, samples in times.items():
        mean = statistics.mean(samples)
        print(f"  {name:20} mean {mean * 1e3:7.3f} ms  median {statistics.median(samples) * 1e3:7.3f} ms"
              f"  {mean / floor:5.2f}x hello_world")


if __name__ == "__main__":
    main()
