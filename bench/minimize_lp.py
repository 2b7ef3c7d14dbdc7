#!/usr/bin/env python3
"""Writes the covering problem of a design's fault table as an LP file.

Every fault that some vector of the TABLE section detects must be detected
by a chosen vector; the objective is the number of chosen vectors. This is
the problem that "-minimize" solves without "-fault_cover", so an exact
solver's optimum on this file is the best count the tool could reach.

usage: minimize_lp.py DESIGN.tst OUT.lp   (also prints instance statistics)
"""
import sys


def read_table(path):
    """The TABLE rows of the file (one string of node symbols per vector)."""
    vector_count = 0
    rows = []
    with open(path) as source:
        lines = source.read().split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        if line.startswith(".VECTORS"):
            vector_count = int(line.split()[1])
        elif line.startswith(".TABLE"):
            while i < len(lines) and len(rows) < vector_count:
                row = lines[i]
                i += 1
                if row[:1].isspace() or row == "":
                    continue
                symbols = ""
                for c in row:
                    if c not in "01Xx":
                        break
                    symbols += c
                rows.append(symbols)
    return rows


def detectors(rows):
    """Fault (node, symbol) -> the vectors that detect it, for every detected fault."""
    faults = {}
    for vector, row in enumerate(rows):
        for node, symbol in enumerate(row):
            if symbol in "01":
                faults.setdefault((node, symbol), []).append(vector)
    return faults


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    rows = read_table(sys.argv[1])
    faults = detectors(rows)
    nonzeros = sum(len(v) for v in faults.values())
    single = sum(1 for v in faults.values() if len(v) == 1)
    print(f"{len(rows)} vectors, {len(faults)} detected faults, {nonzeros} detections, "
          f"{single} faults detected by one vector")
    used = sorted({v for vs in faults.values() for v in vs})
    with open(sys.argv[2], "w") as out:
        out.write("Minimize\n obj: " + " + ".join(f"x{v}" for v in used) + "\n")
        out.write("Subject To\n")
        for k, ((node, symbol), vs) in enumerate(sorted(faults.items())):
            out.write(f" f{node}_{symbol}: " + " + ".join(f"x{v}" for v in vs) + " >= 1\n")
        out.write("Binary\n")
        for v in used:
            out.write(f" x{v}\n")
        out.write("End\n")


if __name__ == "__main__":
    main()
