#!/usr/bin/env python3
"""Draws what links what from the build itself, into docs/ARCHITECTURE.md.

Configures the project in a scratch folder with `cmake --graphviz` (no tests, no benchmarks),
keeps our own targets and the heavy Qt libraries that start-up time depends on (Print Support,
Charts, QScintilla), and writes the links as a Mermaid graph between the markers in the map,
with the libraries inside libampwise_common.so drawn inside it. --check changes nothing and
fails when the map's picture is not the build's, so the picture cannot drift.
"""
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MAP = os.path.join(ROOT, "docs", "ARCHITECTURE.md")
BEGIN = "<!-- links: made by scripts/links.py from the build; do not edit by hand -->"
END = "<!-- end of links -->"
HEAVY = {"Qt6::PrintSupport", "Qt6::Charts", "QScintilla::QScintilla"}
OPTIONS = """set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_CUSTOM_TARGETS FALSE)
"""


def own(name):
    # A Qt resource compiled into a library is an object library of the build, not one of ours.
    if re.search(r"_resources_\d+$", name):
        return False
    return name.startswith(("ampwise", "Ampwise")) or name in ("BakeIcons", "RenderIcon")


def picture():
    with tempfile.TemporaryDirectory(prefix="ampwise-links-") as build:
        with open(os.path.join(build, "CMakeGraphVizOptions.cmake"), "w") as f:
            f.write(OPTIONS)
        dot = os.path.join(build, "links.dot")
        subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DBUILD_TESTING=OFF",
                        "-DAMPWISE_BENCH=OFF", "-DAMPWISE_FUZZ=OFF", "--graphviz=" + dot],
                       check=True, stdout=subprocess.DEVNULL)
        text = open(dot).read()
        with open(os.path.join(build, "ampwise_common_libs.txt")) as f:
            members = f.read().split()
    names = dict(re.findall(r'^\s*"(node\d+)" \[ label = "([^"]+)"', text, re.M))
    edges = set()
    for a, b, attrs in re.findall(r'^\s*"(node\d+)" -> "(node\d+)"(.*)$', text, re.M):
        a, b = names[a], names[b]
        if own(a) and (own(b) or b in HEAVY):
            edges.add((a, b, "-.->" if "dotted" in attrs or "dashed" in attrs else "-->"))
    nodes = sorted({n for e in edges for n in e[:2]} | set(members))
    ids = {n: "t%d" % i for i, n in enumerate(nodes)}
    out = ["```mermaid", "graph LR"]
    out += ['  %s["%s"]' % (ids[n], n) for n in nodes if n not in members]
    out.append('  subgraph common["libampwise_common.so"]')
    out += ['    %s["%s"]' % (ids[n], n) for n in nodes if n in members]
    out.append("  end")
    out += ["  %s %s %s" % (ids[a], arrow, ids[b]) for a, b, arrow in sorted(edges)]
    out.append("```")
    return "\n".join(out)


def main():
    check = "--check" in sys.argv[1:]
    text = open(MAP).read()
    if BEGIN not in text or END not in text:
        sys.exit("%s lacks the markers of the links picture" % MAP)
    head, rest = text.split(BEGIN, 1)
    _, tail = rest.split(END, 1)
    new = head + BEGIN + "\n" + picture() + "\n" + END + tail
    if check:
        if new != text:
            sys.exit("docs/ARCHITECTURE.md: the links picture is not the build's; run "
                     "scripts/links.py (or cmake --build <dir> --target links)")
        print("links picture matches the build")
    elif new != text:
        open(MAP, "w").write(new)


if __name__ == "__main__":
    main()
