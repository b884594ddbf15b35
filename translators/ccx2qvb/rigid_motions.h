// The six rigid-body motions of a model on the solver's equations.
#pragma once

#include <functional>
#include <vector>

#include "matrix_files.h"

namespace qvb::ccx2qvb {

// Where a node is, and whether its three unknowns are the rotations of a
// rigid tie (a rotation node) rather than translations.
struct NodeRole {
  const double *position = nullptr;
  bool rotation = false;
};

// Row-major equations x 6: translations along x, y, z, then rotations about
// axes through `centre` along x, y, z, scaled by 1 / `length` so that all six
// have comparable size.
std::vector<double> rigidMotions(const std::vector<Dof> &dofs, const std::function<NodeRole(int node)> &roleOf,
                                 const double centre[3], double length);

}  // namespace qvb::ccx2qvb
