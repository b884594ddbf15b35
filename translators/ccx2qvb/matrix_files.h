// Reading the stored stiffness and mass matrices (.sti, .mas) and their
// equation map (.dof).
#pragma once

#include <string>
#include <vector>

#include "sparse_matrix.h"

namespace ccx2qvb {

// One equation: a node and a direction (1..3; for a rotation node, its
// rotations about x, y, z).
struct Dof {
  int node;
  int direction;
};

// The .dof file: "node.direction" per line, one line per equation.
std::vector<Dof> readDofs(const std::string &path);

// A .sti or .mas file: "row column value" per line, 1-based, upper triangle
// column by column. n is the equation count (from the .dof file).
SymmetricSparse readSymmetric(const std::string &path, int64_t n);

}  // namespace ccx2qvb
