// The tied model's stiffness and mass built from the bare mesh's, instead of
// a second solver run: each interface's nodes follow its reference node
// rigidly, u = u_ref + theta x (x - x_ref), so the tied matrices are T' K T
// and T' M T for that map T, which is known exactly. The solver's own tied
// run assembles the same matrices (to rounding) at the cost of a second
// assembly and its matrix text (5 of 23 processor seconds at 2e4 nodes).
#pragma once

#include <vector>

#include "analysis_decks.h"
#include "matrix_files.h"
#include "model.h"
#include "symmetric_matrix.h"

namespace qvb::ccx2qvb {

struct TiedMatrices {
  std::vector<Dof> dofs;  // the mesh's equations but the interfaces' nodes, then each interface's six
  SymmetricTriplets stiffness, mass;
};

// mesh: the bare mesh's equations and matrices (every node's translations,
// no constraints). The result's entries run column by column, rows
// increasing. Throws ResultFileError when an equation of an interface's node
// is not a translation of a model node.
TiedMatrices tieInterfaces(const Model &model, const std::vector<Interface> &interfaces, const std::vector<Dof> &dofs,
                           const SymmetricTriplets &stiffness, const SymmetricTriplets &mass);

}  // namespace qvb::ccx2qvb
