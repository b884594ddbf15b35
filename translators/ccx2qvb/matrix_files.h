// Reading the stored stiffness and mass matrices (.sti, .mas) and their
// equation map (.dof).
#pragma once

#include <string>
#include <vector>

#include "craig_bampton.h"

namespace qvb::ccx2qvb {

// One equation: a node and a direction (1..3; for a rotation node, its
// rotations about x, y, z).
struct Dof {
  int node;
  int direction;
};

// The .dof file: "node.direction" per line, one line per equation.
std::vector<Dof> readDofs(const std::string &path);

// A .sti or .mas file: "row column value" per line, 1-based, upper triangle
// column by column. order is the equation count (from the .dof file).
SymmetricTriplets readSymmetric(const std::string &path, std::size_t order);

}  // namespace qvb::ccx2qvb
