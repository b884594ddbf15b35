// Craig-Bampton reduction of a solid model held at its interface equations:
// static constraint modes from a sparse Cholesky factorisation of K_ii, the
// fixed-interface normal modes, projection of K and M on that basis
// and orthonormalisation by the small generalized eigenproblem.
#pragma once

#include <cstddef>
#include <vector>

#include "sparse_cholesky.h"
#include "symmetric_matrix.h"

namespace qvb::ccx2qvb {

// Fixed-interface normal modes: shapes is column-major, one column of
// interior-equation values per eigenvalue. The interior equations are all the
// equations not in the boundary list, in increasing equation order. Their
// normalisation does not matter.
struct FixedInterfaceModes {
  std::vector<double> lambda;
  std::vector<double> shapes;
};

struct CraigBamptonBasis {
  std::size_t order = 0;
  // Ascending; boundary count + fixed-interface mode count of them.
  std::vector<double> lambda;
  // Column-major order x lambda.size(): Phi^T M Phi = I, Phi^T K Phi = diag(lambda).
  std::vector<double> modes;
  // Column-major m x m, m = lambda.size(): mode c is the sum over k of
  // coefficients[k + c * m] times basis vector k, the constraint modes (in
  // the boundary's order) then the fixed-interface modes. Anything linear in
  // the displacements, such as stresses, combines the same way.
  std::vector<double> coefficients;
  // Row-major order x boundary count: the static constraint modes (each
  // interface equation moved by a unit, the others held, the interior in
  // equilibrium), in the boundary's order: basis vectors 0 .. boundary - 1.
  std::vector<double> constraintModes;
  // Leading modes whose |lambda| is below 1e-6 of the first flexible one (at most 6).
  std::size_t rigidCount = 0;
  // Largest ||K phi||_inf / (max|K| ||phi||_inf) over the rigid modes: how well they are a null space.
  double rigidResidual = 0;
  // Largest |Phi^T M Phi - I| on the given (sparse) M.
  double orthonormalityError = 0;
};

// boundary: 0-based interface equations (their order does not matter). Throws
// TranslationError naming the cause when the sizes disagree, an equation is
// out of range or repeated, or the boundary does not hold the model (K_ii not
// positive definite). interiorFactor: K_ii's factor when the caller has one
// (it found the fixed-interface modes with it), else K_ii is factored here.
CraigBamptonBasis craigBampton(const SymmetricTriplets &K, const SymmetricTriplets &M,
                               const std::vector<std::size_t> &boundary, const FixedInterfaceModes &fixed,
                               const SparseCholesky *interiorFactor = nullptr);

// Rigid-body modes among ascending eigenvalues: the largest r <= 6, r < count,
// such that every |lambda| before index r is below 1e-6 of lambda[r].
std::size_t leadingRigidModes(const std::vector<double> &lambda);

}  // namespace qvb::ccx2qvb
