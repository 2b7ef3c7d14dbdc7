#!/usr/bin/python3
"""Writes a design of three nodes whose fault-table rows repeat seven patterns.

Every vector detects two of the six faults (one fault of each of two
nodes), or none, in a cycle of seven rows; the summary marks all six.
With "-n_detect N" every fault needs N detections and the greedy set of
3N vectors is already the fewest (every vector meets two demands): a
covering search with nothing to gain, on a table of many identical rows.

With --triple an eighth row detects fault 0 of all three nodes: the
greedy set takes N of those and 3N more, where 3N vectors suffice, so the
search has to work for its cover.

usage: repeated_rows_design.py --vectors V --out DIR/NAME [--triple]
"""
import argparse
import os

ROWS = [b"01X", b"X01", b"1X0", b"10X", b"X10", b"0X1", b"XXX"]
PATTERNS = [b"00L", b"01H", b"10H", b"11L", b"00H", b"01L", b"10L"]

MODEL = """; three nodes in one graph over two inputs
STAT# 3, 3, 1, 2, 0, 1
MODE# STRUCTURAL
VAR# 0: (I) "a"
VAR# 1: (I) "b"
VAR# 2: (O) "y"
GRP# 0: BEG = 0, LEN = 3
0: () (1 0) =0 "a"
1: () (2 0) =1 "b"
2: () (0 0) =0 "a"
"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vectors", type=int, required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--triple", action="store_true")
    args = parser.parse_args()
    rows = ROWS + ([b"000"] if args.triple else [])
    inputs = PATTERNS + ([b"11H"] if args.triple else [])
    os.makedirs(os.path.dirname(args.out) or ".", exist_ok=True)
    with open(args.out + ".agm", "w") as model:
        model.write(MODEL)
    cycle = len(rows)
    with open(args.out + ".tst", "wb") as out:
        out.write(b".VECTORS %d\n.COVERAGE 100.00\n\n.PATTERNS\n" % args.vectors)
        block = b"".join(p + b"\n" for p in inputs)
        whole, rest = divmod(args.vectors, cycle)
        out.write(block * whole + block[: 4 * rest])
        out.write(b"\n.TABLE\n")
        block = b"".join(r + b"\n" for r in rows)
        out.write(block * whole + block[: 4 * rest])
        out.write(b"\n.FAULTS\n&&&\n")


if __name__ == "__main__":
    main()
