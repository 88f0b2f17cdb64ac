#!/usr/bin/env python3
"""Start-up time and peak memory of Ampwise on a real X server, against a bare Qt window.

Runs the shared start-up tool (perf/startup.sh: one Xvfb server, launches alternating, a fresh
HOME each, the first painted window seen through XDamage) on the bare Qt window (the floor),
Ampwise, Ampwise with a settings file named on its command line (which opens it in the INI editor
at start-up, loading the part of the program kept for first use: printing, the editing component
and the chart library; the difference is that first use's cost) and the calculators a user might
pick instead, where installed. Prints the tool's table, then each program's ratio to
the floor against the goal of 1.3 and the first use's cost.

usage: startup.py <path to Ampwise> [runs] [--tool <path to startup.sh>]
The tool is looked for in ../shared/perf beside the project unless given.
"""
import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_TOOL = os.path.join(HERE, "..", "..", "shared", "perf", "startup.sh")
GOAL = 1.3
PEERS = ["speedcrunch", "galculator"]


def parse_table(text):
    """Rows of the tool's summary: label -> {paint_med, rss_MB, x_paint, x_rss}."""
    rows = {}
    header = None
    for line in text.splitlines():
        cells = line.split()
        if cells[:1] == ["program"]:
            header = cells
            continue
        if header and len(cells) == len(header) and not line.startswith("#"):
            row = dict(zip(header, cells))
            rows[row["program"]] = {k: float(row[k]) for k in
                                    ("paint_med", "rss_MB", "x_paint", "x_rss")}
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("ampwise")
    parser.add_argument("runs", nargs="?", type=int, default=30)
    parser.add_argument("--tool", default=os.environ.get("AMPWISE_STARTUP_TOOL", DEFAULT_TOOL))
    args = parser.parse_args()
    tool = os.path.abspath(args.tool)
    if not os.path.isfile(tool):
        sys.exit(f"start-up tool not found: {tool} (give it with --tool)")
    ampwise = os.path.abspath(args.ampwise)

    with tempfile.TemporaryDirectory() as work:
        settings = os.path.join(work, "Ampwise.ini")
        with open(settings, "w") as f:
            f.write("[Settings]\nMaxVoltDrop=5.5\n")
        commands = ["minimal=@minimal", f"ampwise={shlex.quote(ampwise)}",
                    f"ampwise-editor={shlex.quote(ampwise)} {shlex.quote(settings)}"]
        commands += [p for p in PEERS if shutil.which(p)]
        out = subprocess.run([tool, "-n", str(args.runs), "-o", os.path.join(work, "out")]
                             + commands, check=True, stdout=subprocess.PIPE, text=True).stdout
    print(out, end="")

    rows = parse_table(out)
    if "ampwise" not in rows:
        sys.exit("the tool's table has no row for ampwise")
    print()
    for label, row in rows.items():
        if label == "minimal":
            continue
        verdict = "within" if row["x_paint"] <= GOAL and row["x_rss"] <= GOAL else "over"
        print(f"{label:16s} paint {row['x_paint']:.2f} x, peak RSS {row['x_rss']:.2f} x the "
              f"bare window: {verdict} the goal of {GOAL} x")
    if "ampwise-editor" in rows:
        first_use = rows["ampwise-editor"]["paint_med"] - rows["ampwise"]["paint_med"]
        print(f"first use of the part loaded on demand (INI editor text area, file): "
              f"{first_use:+.1f} ms on the median")
    slower = [p for p in PEERS if p in rows and rows[p]["paint_med"] <= rows["ampwise"]["paint_med"]]
    if slower:
        print("as fast as or faster than Ampwise: " + ", ".join(slower))


if __name__ == "__main__":
    main()
