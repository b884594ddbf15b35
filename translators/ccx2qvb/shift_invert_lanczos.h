// Our own solution of the free body's eigenproblem K x = lambda M x, for
// when the solver's fails its checks: shift-invert Lanczos (ARPACK) with a
// negative shift. K is positive semi-definite and M positive definite, so
// K - sigma M with sigma < 0 is positive definite and has a Cholesky factor
// (CHOLMOD) even though K itself is singular (the rigid motions); the
// solver's shift at zero factors the singular K and can return spurious
// pairs.
#pragma once

#include <vector>

#include "sparse_cholesky.h"
#include "symmetric_matrix.h"

namespace qvb::ccx2qvb {

struct LanczosSolution {
  std::vector<double> eigenvalues;  // ascending
  std::vector<double> modes;        // row-major order x count (one row per equation), unit generalized mass
};

// The `count` lowest eigenpairs; throws TranslationError when ARPACK does
// not converge or the shifted matrix cannot be factored.
LanczosSolution lowestEigenpairs(const SymmetricTriplets &K, const SymmetricTriplets &M, int count);

// The same with a factor of K - sigma M made by the caller: a model held in
// place has a positive definite K, whose factor (sigma = 0) also gives the
// Craig-Bampton constraint modes.
LanczosSolution lowestEigenpairs(const SparseCholesky &shifted, double sigma, const SymmetricTriplets &M, int count);

}  // namespace qvb::ccx2qvb
