"""The peer a user would otherwise write: invariants 5 and 9 with numpy
matrix products, and the MTX-style text with numpy.savetxt.

usage: numpy_peer.py ARRAYS NODES MODES TEXT_VALUES TEXT_OUT
ARRAYS holds NODES masses then MODES x NODES x 3 shapes (float64).
Prints: invariants_seconds text_seconds max_abs_i9
"""
import sys
import time

import numpy as np


def invariants(m, shapes):
    n, nodes, _ = shapes.shape
    x = shapes.transpose(2, 0, 1).reshape(3 * n, nodes)  # component-major rows
    g = (x @ (x * m).T).reshape(3, n, 3, n)  # g[r, j, c, k]
    i5 = np.empty((n, 3, n))
    i5[:, 0, :] = g[1, :, 2, :] - g[2, :, 1, :]
    i5[:, 1, :] = g[2, :, 0, :] - g[0, :, 2, :]
    i5[:, 2, :] = g[0, :, 1, :] - g[1, :, 0, :]
    i9 = np.einsum("cjrk->jkrc", g).copy()
    dot = g[0, :, 0, :] + g[1, :, 1, :] + g[2, :, 2, :]
    for r in range(3):
        i9[:, :, r, r] -= dot
    return i5, i9


def main():
    path, nodes, modes, count, out = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
    raw = np.fromfile(path, dtype=np.float64)
    m = raw[:nodes]
    shapes = raw[nodes:].reshape(modes, nodes, 3)
    t0 = time.perf_counter()
    _, i9 = invariants(m, shapes)
    t1 = time.perf_counter()
    np.savetxt(out, shapes.reshape(-1)[:count].reshape(-1, 3), fmt="%22.14E", delimiter="")
    t2 = time.perf_counter()
    print(f"{t1 - t0:.6f} {t2 - t1:.6f} {np.abs(i9).max():.17g}")


if __name__ == "__main__":
    main()
