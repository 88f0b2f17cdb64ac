#!/usr/bin/env python3
"""Sizing a generated cable schedule with ampwise-schedule against a trivial awk pass over the
same file (awk -F, '{print $0 ",x"}', mawk where it is installed), in turns, in the same run:
median wall time of each, their ratio, each one's processor time (user + system, all threads) and
peak resident memory (from the kernel's accounting of the finished child). The same circuits with
installation columns (Method, Insulation, Ambient, ...), which add the answers to the installation
standard, are sized in the same turns. ampwise-schedule sizes on every processor, so its wall time
falls below its processor time only where the other processors are free.

    python3 bench/schedule_bench.py build/Brannoworks/Ampwise/ampwise-schedule [ROWS] [RUNS]
"""
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

MATERIALS = ["Copper", "Aluminium"]
LIMITS = {("Resistive", "Single"): 84, ("Resistive", "Three"): 84,
          ("Inductive", "Single"): 5.5, ("Inductive", "Three"): 110}


METHODS = ["A1", "A2", "B1", "B2", "C", "D1", "D2", "E"]
DEVICES = ["", "", "breaker", "gG"]
RATINGS = [16, 20, 25, 32, 40, 50, 63, 80, 100, 125, 160, 200, 250]


def installation(rng):
    """Installation cells of one circuit: every column filled in most rows, as a designer's
    schedule has them."""
    method = METHODS[rng.randrange(8)]
    ground = method in ("D1", "D2")
    arrangement = ({"D1": "ducts touching", "D2": "direct touching"}[method] if ground else
                   rng.choice(["bunched", "single layer", "perforated tray", "ladder"]))
    device = DEVICES[rng.randrange(4)]
    fault = rng.randrange(3) == 0
    return ",".join([
        method, rng.choice(["PVC", "XLPE"]), str(rng.randrange(10, 50)),
        "2.5" if ground else "", str(rng.randrange(1, 10)), arrangement, device,
        str(RATINGS[rng.randrange(len(RATINGS))]) if device else "", "",
        "", "4", f"{rng.randrange(1, 20)}" if fault else "", "0.4" if fault else ""])


def generate(path, rows, iec=False):
    rng = random.Random(1)
    keys = list(LIMITS)
    with open(path, "w", newline="") as f:
        f.write("Circuit,Material,Load Type,Phase,Power,Length")
        f.write(",Method,Insulation,Ambient,Soil Resistivity,Grouped Circuits,Arrangement,"
                "Device,Device Rating,Voltage,Power Factor,Max Drop,Fault Current,Fault Time\n"
                if iec else "\n")
        lines = []
        for i in range(1, rows + 1):
            load, phase = keys[rng.randrange(4)]
            power = rng.random() * LIMITS[(load, phase)]
            length = 1 + rng.random() * 200
            tail = "," + installation(rng) if iec else ""
            lines.append(f"C{i},{MATERIALS[rng.randrange(2)]},{load},{phase},"
                         f"{power:.3f},{length:.1f}{tail}\n")
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
    awkName = "mawk" if shutil.which("mawk") else "awk"
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "schedule.csv")
        iecPath = os.path.join(folder, "schedule-iec.csv")
        generate(path, rows)
        generate(iecPath, rows, iec=True)
        size, iecSize = os.path.getsize(path), os.path.getsize(iecPath)
        commands = {"ampwise-schedule": [program, path],
                    "with IEC columns": [program, iecPath],
                    awkName: [awkName, "-F,", '{print $0 ",x"}', path]}
        for argv in commands.values():  # warm the page cache
            run(argv, folder)
        times = {name: [] for name in commands}
        cpu = {name: [] for name in commands}
        rss = {name: 0 for name in commands}
        ratios, iecRatios = [], []
        for _ in range(runs):
            for name, argv in commands.items():
                wall, peak, seconds = run(argv, folder)
                times[name].append(wall)
                rss[name] = max(rss[name], peak or 0)
                if seconds is not None:
                    cpu[name].append(seconds)
            ratios.append(times["ampwise-schedule"][-1] / times[awkName][-1])
            iecRatios.append(times["with IEC columns"][-1] / times[awkName][-1])
    print(f"{rows} rows, {size / 1e6:.1f} MB ({iecSize / 1e6:.1f} MB with IEC columns), "
          f"{runs} runs each, in turns")
    for name, t in times.items():
        peak = f"{rss[name] / 1024:.1f} MiB" if rss[name] else f"n/a (no {TIME})"
        processor = f", processor {statistics.median(cpu[name]):.3f} s" if cpu[name] else ""
        print(f"{name:17} median {statistics.median(t):.3f} s "
              f"(min {min(t):.3f}, max {max(t):.3f}){processor}, peak RSS {peak}")
    for label, r in (("ampwise-schedule", ratios), ("with IEC columns", iecRatios)):
        print(f"ratio {label} / {awkName}: median {statistics.median(r):.2f} "
              f"(min {min(r):.2f}, max {max(r):.2f})")


if __name__ == "__main__":
    main()
