// A symmetric sparse matrix as the solver stores it, and the products the
// reduction and the checks of the solver's results take of it.
#pragma once

#include <cstddef>
#include <vector>

namespace qvb::ccx2qvb {

// A symmetric sparse matrix given by its upper triangle as 0-based triplets
// (row <= col), as the solver's matrix files hold it once row and column are
// made 0-based. Repeated entries are summed.
struct SymmetricTriplets {
  std::size_t order = 0;
  std::vector<std::size_t> row, col;
  std::vector<double> value;
};

// Y = A X for the full symmetric A; X and Y are row-major with `width`
// columns, so each entry touches two contiguous rows.
std::vector<double> multiply(const SymmetricTriplets &A, const std::vector<double> &X, std::size_t width);

// A^T B for row-major n x m matrices A and B: m x m, row-major.
std::vector<double> innerProducts(const std::vector<double> &A, const std::vector<double> &B, std::size_t n,
                                  std::size_t m);

// The transpose of a row-major rows x cols matrix (row-major cols x rows):
// between the solver's mode-major vectors and the equation-major rows the
// products take.
std::vector<double> transposed(const std::vector<double> &a, std::size_t rows, std::size_t cols);

// The largest absolute row sum of the full symmetric matrix: the scale
// against which residuals of A x are measured.
double rowSumNorm(const SymmetricTriplets &A);

}  // namespace qvb::ccx2qvb
