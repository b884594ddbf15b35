// Checks of a modal basis against the matrices it came from, before a body
// is written from it.
//
// No eigen-solution is taken on trust: on some meshes the solver's own
// shift-invert at zero returned spurious pairs (eigenvalues near -4e13, modes
// of generalized mass -8) without an error, and any solver may stop short.
// Every check below is a property any right basis of a free body has,
// measured on the solver's stiffness K and mass M:
//  - mass-orthonormality: Phi' M Phi = I;
//  - for eigenvectors, the backward error of K phi = lambda M phi;
//  - exactly six modes lie in the space of the rigid-body motions, and those
//    six span it (a free body has six rigid motions; more zero-energy modes
//    mean a mechanism or loose parts, fewer a constraint that grounds it);
//  - no flexible mode has zero or negative energy.
// The Rayleigh quotients phi' K phi become the body's eigenvalues.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "symmetric_matrix.h"

namespace qvb::ccx2qvb {

// Tolerances, chosen from right bodies (worst seen in parentheses) and the
// faults they must catch (documented in docs/ccx2qvb.md).
struct CheckTolerances {
  double orthonormality = 1e-6;  // |Phi' M Phi - I| (right bases: 1e-12)
  double residual = 1e-6;        // backward error of K phi = lambda M phi (right modes: 1e-10)
  double rigidSpan = 1e-6;       // the rigid motions outside the span of the rigid modes
  double zeroEnergy = 1e-12;     // |lambda| / (norm K / norm M) below this is no energy
};

struct BasisCheck {
  std::vector<double> rayleigh;  // phi' K phi per mode (phi' M phi is 1 when the basis passes)
  double orthonormality = 0;     // largest |Phi' M Phi - I|
  double residual = 0;           // largest backward error (eigenvectors only)
  int residualMode = -1;         // 0-based mode of that error
  std::size_t rigidCount = 0;    // modes lying in the rigid-body space
  double rigidSpan = 0;          // relative M-norm of the rigid motions the rigid modes miss
  double rigidEnergy = 0;        // largest |Rayleigh quotient| among the rigid modes
  double energyScale = 0;        // norm K / norm M: the eigenvalue scale of the mesh
  double lowestFlexible = 0;     // smallest Rayleigh quotient among the others
  int lowestFlexibleMode = -1;
};

// modes: row-major n x m (equation-major, one column per mode), on the
// equations of K and M. rigid: row-major n x 6, the six rigid-body motions
// on the same equations, or empty for a model held in place (no rigid
// motions). eigenvectors: also measure the residuals (a Craig-Bampton basis
// is a Ritz basis, not eigenvectors of K and M).
BasisCheck checkBasis(const SymmetricTriplets &K, const SymmetricTriplets &M, const std::vector<double> &modes,
                      std::size_t m, const std::vector<double> &rigid, bool eigenvectors);

// Throws VerificationError naming the first check that failed and by how
// much; `what` names the basis ("the free-free modes").
void requireFreeBodyBasis(const BasisCheck &check, const std::string &what, const CheckTolerances &tolerances = {});

// The same for the eigenvectors of a model held in place (checked without
// rigid motions): orthonormal, solving the pencil, every mode with energy.
void requireHeldBasis(const BasisCheck &check, const std::string &what, const CheckTolerances &tolerances = {});

}  // namespace qvb::ccx2qvb
