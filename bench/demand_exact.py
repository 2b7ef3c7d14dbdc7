#!/usr/bin/python3
"""Exact optima of the problems "-n_detect" and "-max_vectors" pose, for
bench/README.md: solved once by an exact solver (HiGHS through scipy's
milp, Debian's python3-scipy), never a dependency of the tool or tests.

usage: demand_exact.py DESIGN.tst ndetect N [SECONDS]
           the fewest vectors that detect every fault min(N, d) times
       demand_exact.py DESIGN.tst budget K [N] [SECONDS]
           the most demand (the sum of min(detections, min(N, d))) that K
           vectors meet; N = 1 counts the faults covered
Prints the optimum (or the best found and the bound, at the time limit),
the LP relaxation and the seconds taken.
"""
import sys
import time

import numpy as np
from scipy.optimize import Bounds, LinearConstraint, milp
from scipy.sparse import csr_matrix

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from minimize_lp import detectors, read_table  # noqa: E402


def incidence(rows):
    faults = detectors(rows)
    keys = sorted(faults)
    data, row_index, col_index = [], [], []
    for k, key in enumerate(keys):
        for v in faults[key]:
            row_index.append(k)
            col_index.append(v)
            data.append(1.0)
    matrix = csr_matrix((data, (row_index, col_index)), shape=(len(keys), len(rows)))
    return matrix, np.array([len(faults[key]) for key in keys], dtype=float)


def solve(c, constraints, integrality, bounds, seconds):
    start = time.time()
    exact = milp(c, constraints=constraints, integrality=integrality, bounds=bounds,
                 options={"time_limit": seconds, "disp": False})
    relaxed = milp(c, constraints=constraints, integrality=np.zeros_like(integrality), bounds=bounds)
    return exact, relaxed, time.time() - start


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    rows = read_table(sys.argv[1])
    a, detected = incidence(rows)
    faults, vectors = a.shape
    if sys.argv[2] == "ndetect":
        n = int(sys.argv[3])
        seconds = float(sys.argv[4]) if len(sys.argv) > 4 else 600
        demand = np.minimum(detected, n)
        exact, relaxed, taken = solve(np.ones(vectors), [LinearConstraint(a, lb=demand)], np.ones(vectors),
                                      Bounds(0, 1), seconds)
        print(f"ndetect N={n}: optimum {exact.fun:.0f} (bound {exact.mip_dual_bound:.2f}, "
              f"status {exact.status}) LP {relaxed.fun:.4f} {taken:.1f} s")
    else:
        k = int(sys.argv[3])
        n = int(sys.argv[4]) if len(sys.argv) > 4 else 1
        seconds = float(sys.argv[5]) if len(sys.argv) > 5 else 600
        demand = np.minimum(detected, n)
        # Variables: x (vectors, binary), then y (faults, continuous in [0, demand]).
        c = np.concatenate([np.zeros(vectors), -np.ones(faults)])
        from scipy.sparse import hstack, identity
        cover = hstack([-a, identity(faults)])  # y - A x <= 0
        budget = csr_matrix(np.concatenate([np.ones(vectors), np.zeros(faults)]).reshape(1, -1))
        constraints = [LinearConstraint(cover, ub=0), LinearConstraint(budget, ub=k)]
        integrality = np.concatenate([np.ones(vectors), np.zeros(faults)])
        bounds = Bounds(np.zeros(vectors + faults), np.concatenate([np.ones(vectors), demand]))
        exact, relaxed, taken = solve(c, constraints, integrality, bounds, seconds)
        print(f"budget K={k} N={n}: optimum {-exact.fun:.0f} (bound {-exact.mip_dual_bound:.2f}, "
              f"status {exact.status}) LP {-relaxed.fun:.4f} {taken:.1f} s")


if __name__ == "__main__":
    main()
