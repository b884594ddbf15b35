// A sparse Cholesky factorisation (CHOLMOD) of a symmetric matrix given by
// its upper triangle, possibly shifted by a multiple of another one.
#pragma once

#include <cstddef>
#include <memory>

#include "symmetric_matrix.h"

namespace qvb::ccx2qvb {

class SparseCholesky {
 public:
  // Factors A + shift * B (B may be null: A alone; B's entries must lie on
  // A's pattern or beside it, both upper triangles of one order). Throws
  // TranslationError naming `what` when the matrix is not positive definite
  // to working precision.
  SparseCholesky(const SymmetricTriplets &A, const SymmetricTriplets *B, double shift, const char *what);
  ~SparseCholesky();
  SparseCholesky(const SparseCholesky &) = delete;
  SparseCholesky &operator=(const SparseCholesky &) = delete;

  // X = (A + shift B)^-1 R for `columns` right-hand sides, column-major.
  void solve(const double *rhs, double *x, std::size_t columns) const;
  std::size_t order() const { return order_; }

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::size_t order_;
};

}  // namespace qvb::ccx2qvb
