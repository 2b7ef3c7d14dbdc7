#!/usr/bin/python3
"""Solves the covering problem of a design's fault table with HiGHS.

The problem is the one "-minimize" solves without "-fault_cover": every
fault that some vector of the TABLE section detects must be detected by a
chosen vector (with --demand N: by min(N, its detecting vectors) of them),
and the objective is the number of chosen vectors. Prints one line:

    design vectors faults detections lp lp_seconds best bound gap status milp_seconds

with the LP relaxation, the best cover HiGHS found within the time limit,
its proven lower bound and relative gap. Needs scipy >= 1.9 (scipy.optimize.milp);
on Debian that is /usr/bin/python3 with python3-scipy. Pin it to one core
with taskset for figures that compare with the tool's single thread.

usage: minimize_highs.py DESIGN.tst [--time-limit 600] [--demand N] [--name NAME]
"""
import argparse
import os
import time

import numpy as np
from scipy.optimize import Bounds, LinearConstraint, linprog, milp
from scipy.sparse import csr_matrix


def table_rows(path):
    """The TABLE rows of the file as byte strings of node symbols."""
    with open(path, "rb") as source:
        vectors = 0
        for line in source:
            if line.startswith(b".VECTORS"):
                vectors = int(line.split()[1])
            elif line.startswith(b".TABLE"):
                break
        rows = []
        for line in source:
            if len(rows) == vectors:
                break
            if line[:1].isspace() or line.strip() == b"":
                continue
            rows.append(line.rstrip(b"\r\n"))
    return rows


def covering_matrix(rows):
    """Faults (detected ones, as rows) by vectors, as a 0/1 sparse matrix."""
    columns = []
    elements = []
    for vector, row in enumerate(rows):
        symbols = np.frombuffer(row, dtype=np.uint8)
        # A row ends at its first symbol that is not a table symbol.
        bad = np.nonzero(~np.isin(symbols, np.frombuffer(b"01Xx", dtype=np.uint8)))[0]
        if bad.size:
            symbols = symbols[: bad[0]]
        nodes = np.nonzero((symbols == ord("0")) | (symbols == ord("1")))[0]
        faults = 2 * nodes + (symbols[nodes] == ord("1"))
        elements.append(faults.astype(np.int64))
        columns.append(np.full(faults.size, vector, dtype=np.int64))
    elements = np.concatenate(elements) if elements else np.zeros(0, dtype=np.int64)
    columns = np.concatenate(columns) if columns else np.zeros(0, dtype=np.int64)
    detected, element_row = np.unique(elements, return_inverse=True)
    matrix = csr_matrix((np.ones(elements.size), (element_row, columns)),
                        shape=(detected.size, len(rows)))
    return matrix


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("patterns")
    parser.add_argument("--time-limit", type=float, default=600)
    parser.add_argument("--demand", type=int, default=1)
    parser.add_argument("--name", default=None)
    args = parser.parse_args()
    name = args.name or os.path.splitext(os.path.basename(args.patterns))[0]

    matrix = covering_matrix(table_rows(args.patterns))
    faults, vectors = matrix.shape
    degree = np.asarray(matrix.sum(axis=1)).ravel()
    demand = np.minimum(degree, args.demand)
    cost = np.ones(vectors)
    constraint = LinearConstraint(matrix, lb=demand, ub=np.inf)

    start = time.process_time()
    lp = linprog(cost, A_ub=-matrix, b_ub=-demand, bounds=(0, 1), method="highs")
    lp_seconds = time.process_time() - start

    start = time.process_time()
    result = milp(cost, integrality=np.ones(vectors), bounds=Bounds(0, 1), constraints=constraint,
                  options={"time_limit": args.time_limit, "disp": False})
    milp_seconds = time.process_time() - start
    best = round(result.fun) if result.fun is not None else "-"
    bound = getattr(result, "mip_dual_bound", None)
    gap = getattr(result, "mip_gap", None)
    print(f"{name} {vectors} {faults} {matrix.nnz} {lp.fun:.4f} {lp_seconds:.1f} {best} "
          f"{bound if bound is None else f'{bound:.4f}'} {gap if gap is None else f'{gap:.4f}'} "
          f"{result.status} {milp_seconds:.1f}", flush=True)


if __name__ == "__main__":
    main()
