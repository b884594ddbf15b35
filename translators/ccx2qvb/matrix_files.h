// Reading the stored stiffness and mass matrices (.sti, .mas) and their
// equation map (.dof).
#pragma once

#include <string>
#include <vector>

#include "symmetric_matrix.h"

namespace qvb::ccx2qvb {

// The entries above the diagonal: the .eig file's nzs for the same job.
inline std::size_t offDiagonalCount(const SymmetricTriplets &m) {
  std::size_t count = 0;
  for (std::size_t k = 0; k < m.row.size(); ++k) count += m.row[k] != m.col[k];
  return count;
}

// One equation: a node and a direction (1..3; for a rotation node, its
// rotations about x, y, z).
struct Dof {
  int node;
  int direction;
};

// The .dof file: "node.direction" per line, one line per equation, each
// degree of freedom once. Throws ResultFileError.
std::vector<Dof> readDofs(const std::string &path);

// A .sti or .mas file: "row column value" per line, 1-based, upper triangle
// column by column. order is the equation count (from the .dof file). Every
// equation must have its diagonal entry. Throws ResultFileError.
SymmetricTriplets readSymmetric(const std::string &path, std::size_t order);

}  // namespace qvb::ccx2qvb
