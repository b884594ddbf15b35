#include "symmetric_matrix.h"

#include <algorithm>
#include <cmath>

#include "kernels/blas_lapack.h"

namespace qvb::ccx2qvb {

std::vector<double> multiply(const SymmetricTriplets &A, const std::vector<double> &X, std::size_t width) {
  std::vector<double> Y(A.order * width, 0.0);
  for (std::size_t k = 0; k < A.value.size(); ++k) {
    const std::size_t r = A.row[k], c = A.col[k];
    const double v = A.value[k];
    double *yr = &Y[r * width];
    const double *xc = &X[c * width];
    for (std::size_t j = 0; j < width; ++j) yr[j] += v * xc[j];
    if (r != c) {
      double *yc = &Y[c * width];
      const double *xr = &X[r * width];
      for (std::size_t j = 0; j < width; ++j) yc[j] += v * xr[j];
    }
  }
  return Y;
}

std::vector<double> innerProducts(const std::vector<double> &A, const std::vector<double> &B, std::size_t n,
                                  std::size_t m) {
  std::vector<double> C(m * m, 0.0);
  const int mi = static_cast<int>(m), ni = static_cast<int>(n);
  const double one = 1.0, zero = 0.0;
  if (m > 0 && n > 0) dgemm_("N", "T", &mi, &mi, &ni, &one, A.data(), &mi, B.data(), &mi, &zero, C.data(), &mi, 1, 1);
  return C;
}

std::vector<double> transposed(const std::vector<double> &a, std::size_t rows, std::size_t cols) {
  std::vector<double> t(a.size());
  for (std::size_t r = 0; r < rows; ++r)
    for (std::size_t c = 0; c < cols; ++c) t[c * rows + r] = a[r * cols + c];
  return t;
}

double rowSumNorm(const SymmetricTriplets &A) {
  std::vector<double> sums(A.order, 0.0);
  for (std::size_t k = 0; k < A.value.size(); ++k) {
    sums[A.row[k]] += std::fabs(A.value[k]);
    if (A.row[k] != A.col[k]) sums[A.col[k]] += std::fabs(A.value[k]);
  }
  return sums.empty() ? 0.0 : *std::max_element(sums.begin(), sums.end());
}

}  // namespace qvb::ccx2qvb
