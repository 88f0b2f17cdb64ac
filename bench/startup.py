#!/usr/bin/env python3
"""Start-up time of Ampwise against the smallest Qt window.

Builds the minimal window from startup_minimal.cpp, then launches the two programs alternately
under the offscreen platform, each with a fresh settings folder, and takes for every launch the
time from the start of the process until the program reports that its window is up (for Ampwise:
shown, with its first calculation done). Prints the medians and their ratio.

usage: startup.py <path to Ampwise> [runs]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def build_minimal(work):
    exe = os.path.join(work, "startup_minimal")
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "Qt6Widgets"],
                           check=True, capture_output=True, text=True).stdout.split()
    subprocess.run(["c++", "-std=c++20", "-O2", "-fPIC", os.path.join(HERE, "startup_minimal.cpp"),
                    "-o", exe] + flags, check=True)
    return exe


def launch(exe, work):
    home = tempfile.mkdtemp(dir=work)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=home,
               XDG_RUNTIME_DIR=home, AMPWISE_STARTUP_PROBE="1")
    start = time.monotonic_ns()
    out = subprocess.run([exe], env=env, capture_output=True, text=True, timeout=60)
    shutil.rmtree(home, ignore_errors=True)
    for line in out.stdout.splitlines():
        if line.startswith("ampwise-ready "):
            return (int(line.split()[1]) - start) / 1e6
    raise RuntimeError(f"{exe} reported no start (exit {out.returncode}): {out.stderr}")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    ampwise = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
    with tempfile.TemporaryDirectory() as work:
        minimal = build_minimal(work)
        launch(ampwise, work)  # warm the file cache for both before measuring
        launch(minimal, work)
        times = {"Ampwise": [], "minimal Qt window": []}
        for _ in range(runs):
            times["Ampwise"].append(launch(ampwise, work))
            times["minimal Qt window"].append(launch(minimal, work))
    for name, values in times.items():
        print(f"{name:18s} median {statistics.median(values):7.1f} ms  "
              f"min {min(values):7.1f}  max {max(values):7.1f}  ({runs} runs)")
    ratio = statistics.median(times["Ampwise"]) / statistics.median(times["minimal Qt window"])
    print(f"ratio of medians (Ampwise / minimal): {ratio:.2f}")


if __name__ == "__main__":
    main()
