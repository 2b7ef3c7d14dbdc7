#!/usr/bin/python3
"""Solves the test-cover problem of a design's fault table with HiGHS.

The problem is the one "-diagnostic" solves: choose the fewest vectors such
that every fault some vector of the TABLE section detects is detected by a
chosen vector, and every two such faults that the TABLE's vectors tell apart
(some vector detects one and not the other) are told apart by a chosen
vector. Faults no vector tells apart form a class and are one row here.

The pair constraints are added lazily: the model starts with the detection
constraints only; after each solve, the classes that the solution leaves
together give their pairs, and the model is solved again, until a solution
leaves no two classes together (the optimum) or the time limit is reached.
Each solve is a relaxation of the whole model, so its proven bound holds for
the whole model. When the limit stops a solve, its best solution is
completed greedily (the vector that tells apart the most pairs of faults
still together, ties to the lowest index) into a set that keeps every class.
Prints one line:

    design vectors faults classes lp rounds pair_rows best bound status seconds

lp is the LP relaxation of the whole model (its pairs added the same way,
those the LP solution splits by less than 1 in sum, until none is left):
the best a Lagrangian bound can reach. status is "optimal" when best
equals the bound, "limit" otherwise; seconds count the integer solves. Needs
scipy >= 1.9 (scipy.optimize.milp); on Debian that is /usr/bin/python3 with
python3-scipy. Pin it to one core with taskset for figures that compare with
the tool's single thread.

usage: diagnostic_highs.py DESIGN.tst [--time-limit 300] [--name NAME]
"""
import argparse
import math
import os
import time

import numpy as np
from scipy.optimize import Bounds, LinearConstraint, linprog, milp
from scipy.sparse import csr_matrix, vstack

from minimize_highs import covering_matrix, table_rows


def fault_classes(matrix):
    """One representative row per distinct detecting-vector set, and the
    number of faults each stands for."""
    seen = {}
    representatives = []
    sizes = []
    for fault in range(matrix.shape[0]):
        key = matrix.indices[matrix.indptr[fault]:matrix.indptr[fault + 1]].tobytes()
        if key in seen:
            sizes[seen[key]] += 1
        else:
            seen[key] = len(representatives)
            representatives.append(fault)
            sizes.append(1)
    return matrix[representatives], np.array(sizes, dtype=np.int64)


def groups_left_together(classes, chosen):
    """The groups of two or more classes that the chosen vectors detect
    alike."""
    restricted = classes[:, chosen].tocsr()
    restricted.sort_indices()
    groups = {}
    for row in range(restricted.shape[0]):
        key = restricted.indices[restricted.indptr[row]:restricted.indptr[row + 1]].tobytes()
        groups.setdefault(key, []).append(row)
    return [members for members in groups.values() if len(members) > 1]


def pair_rows(classes, groups):
    """One constraint row per pair of classes in a group: the vectors that
    detect exactly one of the two."""
    data_rows = []
    data_cols = []
    count = 0
    for members in groups:
        lists = [classes.indices[classes.indptr[m]:classes.indptr[m + 1]] for m in members]
        for i in range(len(members)):
            for j in range(i + 1, len(members)):
                split = np.setxor1d(lists[i], lists[j], assume_unique=True)
                data_rows.append(np.full(split.size, count, dtype=np.int64))
                data_cols.append(split)
                count += 1
    rows = np.concatenate(data_rows)
    cols = np.concatenate(data_cols)
    return csr_matrix((np.ones(rows.size), (rows, cols)), shape=(count, classes.shape[1]))


def full_lp(classes):
    """The LP relaxation of the whole model: pairs added while the LP
    solution splits some pair by less than 1 in sum, the most violated
    first, a few thousand at a time."""
    dense = classes.toarray().astype(np.float32)
    count, vectors = dense.shape
    rows = classes.copy()
    while True:
        lp = linprog(np.ones(vectors), A_ub=-rows, b_ub=-np.ones(rows.shape[0]), bounds=(0, 1), method="highs")
        weighted = dense * lp.x.astype(np.float32)
        covered = weighted.sum(axis=1)
        found = []
        for first in range(0, count, 256):
            last = min(count, first + 256)
            # x over the vectors that detect exactly one of the two classes.
            split = covered[first:last, None] + covered[None, :] - 2 * (weighted[first:last] @ dense.T)
            i, j = np.nonzero(split < 1 - 1e-6)
            keep = first + i < j
            found.extend(zip(split[i[keep], j[keep]], first + i[keep], j[keep]))
        if not found:
            return lp.fun
        found.sort()
        groups = [[int(a), int(b)] for _, a, b in found[:4000]]
        rows = vstack([rows, pair_rows(classes, groups)]).tocsr()


def complete_greedily(classes, sizes, chosen):
    """Adds vectors to `chosen` until it leaves no two classes together:
    each time the one that tells apart the most pairs of faults still
    together, sum over the groups G of |G and v| * |G - v|, lowest index on
    ties."""
    chosen = sorted(chosen)
    dense = classes.toarray().astype(bool)
    while True:
        groups = groups_left_together(classes, chosen)
        if not groups:
            return chosen
        gain = np.zeros(classes.shape[1], dtype=np.int64)
        for members in groups:
            weights = sizes[members]
            inside = weights @ dense[members]
            gain += inside * (weights.sum() - inside)
        chosen = sorted(chosen + [int(np.argmax(gain))])


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("patterns")
    parser.add_argument("--time-limit", type=float, default=300)
    parser.add_argument("--name", default=None)
    args = parser.parse_args()
    name = args.name or os.path.splitext(os.path.basename(args.patterns))[0]

    matrix = covering_matrix(table_rows(args.patterns))
    matrix.sort_indices()
    faults, vectors = matrix.shape
    classes, sizes = fault_classes(matrix)
    lp = full_lp(classes)
    cost = np.ones(vectors)
    constraint_rows = classes.copy()

    start = time.process_time()
    rounds = 0
    best = None
    chosen = None
    bound = 0.0
    while True:
        left = args.time_limit - (time.process_time() - start)
        if left <= 0:
            break
        rounds += 1
        constraint = LinearConstraint(constraint_rows, lb=1, ub=np.inf)
        result = milp(cost, integrality=np.ones(vectors), bounds=Bounds(0, 1), constraints=constraint,
                      options={"time_limit": left, "disp": False})
        round_bound = getattr(result, "mip_dual_bound", None)
        if result.status == 0:
            round_bound = result.fun
        if round_bound is not None:
            bound = max(bound, round_bound)
        if result.x is None:
            break
        chosen = [int(v) for v in np.nonzero(result.x > 0.5)[0]]
        groups = groups_left_together(classes, chosen)
        if result.status != 0:
            best = complete_greedily(classes, sizes, chosen)
            break
        if not groups:
            best = chosen
            break
        constraint_rows = vstack([constraint_rows, pair_rows(classes, groups)]).tocsr()
    if best is None and chosen is not None:
        best = complete_greedily(classes, sizes, chosen)
    seconds = time.process_time() - start
    proven = math.ceil(bound - 1e-6)
    status = "optimal" if best is not None and len(best) == proven else "limit"
    print(f"{name} {vectors} {faults} {classes.shape[0]} {lp:.4f} {rounds} {constraint_rows.shape[0] - classes.shape[0]} "
          f"{len(best) if best is not None else '-'} {proven} {status} {seconds:.1f}", flush=True)


if __name__ == "__main__":
    main()
