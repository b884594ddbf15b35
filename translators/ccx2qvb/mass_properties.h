// Mass data of the body from the consistent mass matrix.
//
// Every integral the body needs is a product of two displacement fields
// through the mass matrix: integral of rho u v' dV = U' M V, exact for fields
// the element shape functions carry (positions, rigid motions, mode shapes).
// So total mass, centre, inertia and the nine invariants are exact, where
// sums over lumped nodal masses would not be. The nodal masses themselves
// are HRZ-lumped: the diagonal of M scaled to the total mass, which keeps
// them positive (row sums of a second-order element's mass are negative at
// its corners).
#pragma once

#include <vector>

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

// mass: the mesh's mass matrix without ties, equations as in dofs (three
// translations per node). shapes: modeCount blocks of 3 values per model
// node (translations, node-major).
MassProperties computeMassProperties(const Model &model, const SymmetricTriplets &mass, const std::vector<Dof> &dofs,
                                     const std::vector<double> &shapes, int modeCount);

}  // namespace qvb::ccx2qvb
