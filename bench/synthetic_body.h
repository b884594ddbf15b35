// Synthetic flexible bodies at scale, built through the public C interface
// the way a translator builds them, for the benchmarks.
#pragma once

#include <string>

namespace qvb::bench {

struct BodySize {
  int nodes;
  int modes;
  bool stresses;  // modal stresses too (doubles the body; the comparison reads them)
  bool commands = true;  // also time whole qvb2mtx and qvbcompare runs on it (the benchmark's concern)
  // Only our own side: no baselines, numpy peer, thread rows or floor, whose
  // time, memory or disk (a second 26 GB text at 10^6 x 200) would not fit.
  bool ownOnly = false;
};

// Interface nodes are IDs 1..kInterfaceNodes (so "+N 1:20" picks them).
constexpr int kInterfaceNodes = 20;

// Builds the body (node IDs 1..N on a grid, nodal masses and inertias, N x n
// translational and rotational shapes, diagonal generalized mass and
// stiffness, no invariant 5 or 9 blocks) and writes it to path. Same size,
// same bytes. Returns false after printing why.
bool writeSyntheticBody(const std::string &path, const BodySize &size);

}  // namespace qvb::bench
