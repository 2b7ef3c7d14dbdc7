#!/usr/bin/env python3
"""The mean position of the first failing vector over the detectable faults:
for each detectable fault the written vectors detect, the 1-based position of
the first written vector that detects it, averaged. Written rows are mapped
back to the input's rows by their inputs. Prints the fault count and the mean.

  first_failure.py INPUT.tst WRITTEN.tst INPUT_COUNT"""
import sys


def sections(path):
    found = {"PATTERNS": [], "TABLE": [], "FAULTS": []}
    section = None
    for line in open(path):
        line = line.rstrip("\n")
        if line.startswith("."):
            section = line[1:].split()[0]
        elif line and not line[0].isspace() and section in found:
            found[section].append(line)
    return found


def main():
    original, written, inputs = sections(sys.argv[1]), sections(sys.argv[2]), int(sys.argv[3])
    rows = {}
    for index, row in enumerate(original["PATTERNS"]):
        rows.setdefault(row[:inputs], []).append(index)
    summary = original["FAULTS"][0]
    first = {}
    for position, row in enumerate(written["PATTERNS"], 1):
        vector = rows[row[:inputs]].pop(0)
        for node, symbol in enumerate(original["TABLE"][vector]):
            marked = node < len(summary) and summary[node] in ("&", symbol)
            if symbol in "01" and marked:
                first.setdefault(2 * node + int(symbol), position)
    print(len(first), "%.1f" % (sum(first.values()) / len(first)))


main()
