#!/usr/bin/env python3
"""Sizing a generated cable schedule with ampwise-schedule against a trivial awk pass over the
same file (awk -F, '{print $0 ",x"}'), in turns, in the same run: median wall time of each, their
ratio, each one's processor time (user + system, all threads) and peak resident memory (from the
kernel's accounting of the finished child). ampwise-schedule sizes on every processor, so its
wall time falls below its processor time only where the other processors are free.

    python3 bench/schedule_bench.py build/Brannoworks/Ampwise/ampwise-schedule [ROWS] [RUNS]
"""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

MATERIALS = ["Copper", "Aluminium"]
LIMITS = {("Resistive", "Single"): 84, ("Resistive", "Three"): 84,
          ("Inductive", "Single"): 5.5, ("Inductive", "Three"): 110}


def generate(path, rows):
    rng = random.Random(1)
    keys = list(LIMITS)
    with open(path, "w", newline="") as f:
        f.write("Circuit,Material,Load Type,Phase,Power,Length\n")
        lines = []
        for i in range(1, rows + 1):
            load, phase = keys[rng.randrange(4)]
            power = rng.random() * LIMITS[(load, phase)]
            length = 1 + rng.random() * 200
            lines.append(f"C{i},{MATERIALS[rng.randrange(2)]},{load},{phase},"
                         f"{power:.3f},{length:.1f}\n")
            if len(lines) == 10000:
                f.writelines(lines)
                lines.clear()
        f.writelines(lines)


TIME = "/usr/bin/time"  # Debian package "time"


def run(argv, folder):
    """Wall seconds, peak RSS in KiB and processor seconds (None, None without /usr/bin/time) of
    one run, its output thrown away. These come from /usr/bin/time: a child started from this
    interpreter would count the interpreter's own memory, which it shares until it runs the
    program."""
    report = os.path.join(folder, "rss")
    timed = [TIME, "-f", "%M %U %S", "-o", report] + argv if os.access(TIME, os.X_OK) else argv
    with open(os.devnull, "wb") as sink:
        start = time.perf_counter()
        code = subprocess.call(timed, stdout=sink)
        wall = time.perf_counter() - start
    if code not in (0, 1):
        sys.exit(f"{argv[0]} exited with {code}")
    if timed is argv:
        return wall, None, None
    with open(report) as f:
        rss, user, system = f.read().split()[-3:]
        return wall, int(rss), float(user) + float(system)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    program = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "schedule.csv")
        generate(path, rows)
        size = os.path.getsize(path)
        ours = [program, path]
        awk = ["awk", "-F,", '{print $0 ",x"}', path]
        run(ours, folder), run(awk, folder)  # warm the page cache
        times = {"ampwise-schedule": [], "awk": []}
        cpu = {"ampwise-schedule": [], "awk": []}
        rss = {"ampwise-schedule": 0, "awk": 0}
        ratios = []
        for _ in range(runs):
            for name, argv in (("ampwise-schedule", ours), ("awk", awk)):
                wall, peak, seconds = run(argv, folder)
                times[name].append(wall)
                rss[name] = max(rss[name], peak or 0)
                if seconds is not None:
                    cpu[name].append(seconds)
            ratios.append(times["ampwise-schedule"][-1] / times["awk"][-1])
    print(f"{rows} rows, {size / 1e6:.1f} MB, {runs} runs each, in turns")
    for name, t in times.items():
        peak = f"{rss[name] / 1024:.1f} MiB" if rss[name] else f"n/a (no {TIME})"
        processor = f", processor {statistics.median(cpu[name]):.3f} s" if cpu[name] else ""
        print(f"{name:17} median {statistics.median(t):.3f} s "
              f"(min {min(t):.3f}, max {max(t):.3f}){processor}, peak RSS {peak}")
    print(f"ratio ampwise-schedule / awk: median {statistics.median(ratios):.2f} "
          f"(min {min(ratios):.2f}, max {max(ratios):.2f})")


if __name__ == "__main__":
    main()
