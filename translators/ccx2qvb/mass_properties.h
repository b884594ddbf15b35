// Mass data of the body.
//
// The solver's mass matrix is not exact for the rigid-body properties (its
// reduced and wedge elements lump their mass at too few points, and its
// quadrature is not exact on curved elements): mass, centre, inertia and
// invariants 1, 2 and 7 come from our own exact integration (exact_mass.h).
// The invariants that hold modes are products of two displacement fields
// through the solver's mass matrix, the one the modes are orthonormal in:
// integral of rho u v' dV = U' M V. The nodal masses are HRZ-lumped: the
// diagonal of M scaled to the exact total mass, which keeps them positive
// (row sums of a second-order element's mass are negative at its corners);
// point masses are added at their nodes as they stand.
#pragma once

#include <vector>

#include "exact_mass.h"
#include "matrix_files.h"
#include "model.h"

namespace qvb::ccx2qvb {

struct MassProperties {
  std::vector<double> nodalMass;  // per model node (zero for a node no element uses)
  double mass = 0;
  double centre[3] = {0, 0, 0};
  double inertia[9] = {0};        // about the centre, row-major
  double i1 = 0;
  double i2[3] = {0, 0, 0};
  double i7[9] = {0};             // about the origin, row-major
  int modeCount = 0;
  std::vector<double> i3, i4;     // 3 per mode
  std::vector<double> i5;         // 3 per (j, k), at (j * modeCount + k) * 3
  std::vector<double> i6;         // modeCount x modeCount
  std::vector<double> i8;         // 9 per mode, row-major
  std::vector<double> i9;         // 9 per (j, k), at (j * modeCount + k) * 9
};

// exact: the model's integrals. mass: the mesh's mass matrix without ties,
// equations as in dofs (three translations per node). shapes: modeCount
// blocks of 3 values per model node (translations, node-major).
MassProperties computeMassProperties(const Model &model, const RigidMass &exact, const SymmetricTriplets &mass,
                                     const std::vector<Dof> &dofs, const std::vector<double> &shapes, int modeCount);

}  // namespace qvb::ccx2qvb
