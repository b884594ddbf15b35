// The body's modes spread onto its nodes, from the solver's equations.
#pragma once

#include <vector>

#include "analysis_decks.h"
#include "craig_bampton.h"
#include "eig_file.h"
#include "matrix_files.h"
#include "model.h"

namespace qvb::ccx2qvb {

// Body nodes are the model's nodes, then one reference node per interface.
struct NodalModes {
  int modeCount = 0;
  size_t bodyNodes = 0;
  std::vector<double> eigenvalues;
  std::vector<double> values;  // modeCount x bodyNodes x 6 (ux uy uz rx ry rz)
  double *at(int mode, size_t node) { return &values[(static_cast<size_t>(mode) * bodyNodes + node) * 6]; }
  const double *at(int mode, size_t node) const { return &values[(static_cast<size_t>(mode) * bodyNodes + node) * 6]; }
};

// Free-free: the modes on the matrix run's equations, mapped to nodes through
// its .dof.
NodalModes freeModes(const Model &model, const EigenSolution &eig, const std::vector<Dof> &dofs);

// Craig-Bampton: the reduced basis on the tied model's equations. Reference
// nodes take the translations of their node and the rotations of the
// rotation node; the tied face nodes, which the tie removed from the
// equations, move rigidly with their reference node: u = u_ref + theta x (x - x_ref).
NodalModes interfaceModes(const Model &model, const std::vector<Interface> &interfaces, const std::vector<Dof> &dofs,
                          const CraigBamptonBasis &basis);

// Sets the values the solver eliminated: each equation's dependent term and
// the nodes of the deck's rigid bodies (dependent_dofs.h), then a rigid
// body's reference node's rotations from its rotation node, so the
// reference node carries six degrees of freedom as an interface node does.
void completeConstrainedNodes(const Model &model, NodalModes *modes);

// The translations at the model's nodes, modeCount x nodes x 3.
std::vector<double> modelTranslations(const Model &model, const NodalModes &modes);

}  // namespace qvb::ccx2qvb
