#!/usr/bin/python3
"""Writes a Steiner triple covering instance as a design.

The points of the affine geometry AG(k, 3) are the vectors and its lines,
the triples {a, b, c} of distinct points with a + b + c = 0 over GF(3)^k,
are the faults; each line is detected by its three points. The fewest
vectors that detect every fault are the smallest cover of the instance
A(3^k): best known 18 for A27, 61 for A81, 198 for A243, 617 for A729.

A node holds two faults, so its two lines must have no point in common (a
vector detects at most one fault of a node): the lines of a parallel class
are paired in order, and the one line left over by each class is paired
with one of the next class that misses it. The last line stays alone on
the last node when the count is odd; the summary marks it alone.

Vector v is the point whose coordinates are the base-3 digits of v, lowest
first; its PATTERNS row spells each digit in two inputs. The patterns file
opens with comment lines that say which lines every node holds.

usage: steiner_design.py --dimension K --out DIR/NAME
"""
import argparse
import os


def coordinates(point, k):
    return [(point // 3**i) % 3 for i in range(k)]


def point_of(digits):
    return sum(d * 3**i for i, d in enumerate(digits))


def lines_by_class(k):
    """The lines, grouped by direction (first non-zero coordinate 1), each
    group in ascending order of its points."""
    n = 3**k
    classes = {}
    for a in range(n):
        ca = coordinates(a, k)
        for b in range(a + 1, n):
            cb = coordinates(b, k)
            c = point_of([(-x - y) % 3 for x, y in zip(ca, cb)])
            if c <= b:
                continue
            direction = [(y - x) % 3 for x, y in zip(ca, cb)]
            lead = next(d for d in direction if d != 0)
            direction = tuple((d * lead) % 3 for d in direction)  # lead * lead = 1
            classes.setdefault(direction, []).append((a, b, c))
    return [classes[d] for d in sorted(classes)]


def pair_lines(k):
    """Pairs of point-disjoint lines, and the line left alone (or None).
    Classes go two by two: the first leaves its last line over, the second
    the first of its lines that misses it (a line meets at most three lines
    of another class), and the two left-over lines make a pair; the others
    of each class are paired in order. With an odd number of classes the
    last one leaves its last line alone."""
    pairs = []
    single = None
    groups = lines_by_class(k)
    for g in range(0, len(groups), 2):
        first = groups[g]
        if g + 1 == len(groups):
            single = first[-1]
            rest = [first[:-1]]
        else:
            second = groups[g + 1]
            spare = next(i for i, line in enumerate(second) if not set(line) & set(first[-1]))
            pairs.append((first[-1], second[spare]))
            rest = [first[:-1], second[:spare] + second[spare + 1:]]
        for group in rest:
            pairs.extend((group[i], group[i + 1]) for i in range(0, len(group), 2))
    return pairs, single


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dimension", type=int, required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    k = args.dimension
    n = 3**k
    pairs, single = pair_lines(k)
    nodes = [list(pair) for pair in pairs] + ([[single]] if single else [])
    line_count = 2 * len(pairs) + (1 if single else 0)
    inputs = 2 * k
    os.makedirs(os.path.dirname(args.out) or ".", exist_ok=True)

    with open(args.out + ".agm", "w") as model:
        model.write("; Steiner triple covering instance A%d: one node per two lines of AG(%d, 3)\n" % (n, k))
        model.write("STAT# %d, %d, 1, %d, 0, 1\nMODE# STRUCTURAL\n" % (len(nodes), inputs + 1, inputs))
        for i in range(inputs):
            model.write('VAR# %d: (I) "x%d"\n' % (i, i))
        model.write('VAR# %d: (O) "y"\nGRP# 0: BEG = 0, LEN = %d\n' % (inputs, len(nodes)))
        for i in range(len(nodes)):
            model.write('%d: () (%d 0) =%d "x%d"\n' % (i, (i + 1) % len(nodes), i % inputs, i % inputs))

    # Per point, the node and fault of every line through it.
    row_of = [bytearray(b"X" * len(nodes)) for _ in range(n)]
    for node, held in enumerate(nodes):
        for fault, line in enumerate(held):
            for point in line:
                row_of[point][node] = ord("0") + fault
    with open(args.out + ".tst", "wb") as out:
        out.write(b"; Steiner triple covering instance A%d: the %d points of AG(%d, 3) are the\n" % (n, n, k))
        out.write(b"; vectors, its %d lines {a, b, c} (a + b + c = 0 over GF(3)^%d) the faults,\n" % (line_count, k))
        out.write(b"; each detected by its three points. Vector v is the point whose\n")
        out.write(b"; coordinates are the base-3 digits of v, lowest first, two inputs a digit.\n")
        out.write(b"; Each node holds two lines with no common point as its faults 0 and 1:\n")
        for node, held in enumerate(nodes):
            out.write(b"; node %d: %s\n" % (node, b" | ".join(b"%d %d %d" % line for line in held)))
        out.write(b".VECTORS %d\n.COVERAGE 100.00\n\n.PATTERNS\n" % n)
        for point in range(n):
            digits = coordinates(point, k)
            out.write(b"".join(b"%d%d" % (d >> 1, d & 1) for d in digits) + b"L\n")
        out.write(b"\n.TABLE\n")
        for point in range(n):
            out.write(bytes(row_of[point]) + b"\n")
        summary = b"&" * len(pairs) + (b"0" if single else b"")
        out.write(b"\n.FAULTS\n" + summary + b"\n")


if __name__ == "__main__":
    main()
