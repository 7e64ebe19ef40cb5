#!/usr/bin/env python3
"""Checks that src/ reads from the ground up: a folder includes only folders on lower layers
(or its listed peers). Prints each upward include with its file and line; exit 1 when any.
usage: tools/layers.py [project-root]   (scripts/test runs it before the builds)

The layers, ground first. A subfolder belongs to its top folder (src/display/fonts -> display).
Upward calls go through hooks that the upper layer installs at start-up, as the answers layer
and the platform call tables already do."""
import os, re, sys

LAYERS = [
    ["settings"],                    # ground: parameters, messages, strings, paths, answers
    ["framework", "geometry", "hoststub"],
    ["database"],
    ["display"],
    ["input", "select"],             # interaction: these two may use each other
    ["files"],
    ["commands"],
    ["ole", "plugin"],
    ["shell"],                       # top: the program
    ["ole1stub"],                    # stand-in libraries for tests, above everything
]
PEERS = {("input", "select"), ("select", "input")}
level = {f: i for i, row in enumerate(LAYERS) for f in row}

root = sys.argv[1] if len(sys.argv) > 1 else "."
src = os.path.join(root, "src")
bad = []
for d, _, files in os.walk(src):
    for f in files:
        if not f.endswith((".h", ".hpp", ".c", ".cc", ".cpp")):
            continue
        path = os.path.join(d, f)
        rel = os.path.relpath(path, src)
        own = rel.split(os.sep)[0]
        if own not in level:
            continue
        with open(path, errors="replace") as fh:
            for n, line in enumerate(fh, 1):
                m = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                if not m or "/" not in m.group(1):
                    continue
                other = m.group(1).split("/")[0]
                if other == own or other not in level or (own, other) in PEERS:
                    continue
                if level[other] > level[own]:
                    bad.append((own, other, f"src/{rel}:{n}", m.group(1)))
by_pair = {}
for own, other, where, inc in bad:
    by_pair.setdefault((own, other), []).append(f"{where} includes {inc}")
for (own, other), rows in sorted(by_pair.items()):
    print(f"{own} -> {other}: {len(rows)}")
    for r in rows:
        print("   " + r)
print(f"{len(bad)} upward includes in {len(by_pair)} folder pairs" if bad else "layers hold: no upward include")
sys.exit(1 if bad else 0)
