// Invariants 5 and 9 written straight from their definitions, pair by pair
// without using any symmetry, for checking the stores and the converter against.
#pragma once

#include <array>
#include <cmath>
#include <vector>

namespace qvbtest {

// shapes[j][p]: translational shape of selected mode j at node p. Results in
// the file's layout (I5: mode j, component r, mode k; I9: j, k, 3x3 block),
// with values below 1e-10 in magnitude zeroed as the file writes them.
inline void expectedInvariants59(const std::vector<double> &masses,
                                 const std::vector<std::vector<std::array<double, 3>>> &shapes,
                                 std::vector<double> &i5, std::vector<double> &i9) {
  const size_t n = shapes.size();
  i5.assign(n * 3 * n, 0.0);
  i9.assign(n * n * 9, 0.0);
  for (size_t j = 0; j < n; ++j)
    for (size_t k = 0; k < n; ++k)
      for (size_t p = 0; p < masses.size(); ++p) {
        const auto &a = shapes[j][p], &b = shapes[k][p];
        const double m = masses[p], dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
        const double cross[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        for (int r = 0; r < 3; ++r) {
          i5[(j * 3 + r) * n + k] += m * cross[r];
          for (int c = 0; c < 3; ++c) i9[(j * n + k) * 9 + 3 * r + c] += m * (b[r] * a[c] - (r == c ? dot : 0.0));
        }
      }
  for (double &x : i5) x = std::fabs(x) < 1e-10 ? 0.0 : x;
  for (double &x : i9) x = std::fabs(x) < 1e-10 ? 0.0 : x;
}

}  // namespace qvbtest
