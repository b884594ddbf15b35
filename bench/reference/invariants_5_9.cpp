#include "reference/invariants_5_9.h"

namespace qvb::reference {

void storePairInvariants(const std::vector<double> &masses, const double *a, const double *b, size_t j, size_t k,
                         size_t n, std::vector<double> &i5, std::vector<double> &i9) {
  double cross[3] = {0.0, 0.0, 0.0};
  double block[9] = {};
  for (size_t p = 0; p < masses.size(); ++p) {
    const double m = masses[p];
    const double *u = a + p * 3, *v = b + p * 3;
    cross[0] += m * (u[1] * v[2] - u[2] * v[1]);
    cross[1] += m * (u[2] * v[0] - u[0] * v[2]);
    cross[2] += m * (u[0] * v[1] - u[1] * v[0]);
    const double dot = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) block[3 * r + c] += m * (v[r] * u[c] - (r == c ? dot : 0.0));
  }
  for (int r = 0; r < 3; ++r) {
    i5[(j * 3 + r) * n + k] = cross[r];
    i5[(k * 3 + r) * n + j] = -cross[r];
  }
  double *forward = i9.data() + (j * n + k) * 9;
  double *mirrored = i9.data() + (k * n + j) * 9;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      forward[3 * r + c] = block[3 * r + c];
      mirrored[3 * c + r] = block[3 * r + c];
    }
}

void computeInvariants5And9(const std::vector<double> &masses, const std::vector<double> &shapes,
                            int modeCount, std::vector<double> &i5, std::vector<double> &i9,
                            const std::function<void(int)> &onMode) {
  const size_t n = modeCount > 0 ? static_cast<size_t>(modeCount) : 0;
  const size_t nodes = masses.size();
  i5.assign(n * 3 * n, 0.0);
  i9.assign(n * n * 9, 0.0);
  for (size_t j = 0; j < n; ++j) {
    if (onMode) onMode(static_cast<int>(j));
    // Each unordered pair once; the mirrored entries follow by symmetry.
    for (size_t k = j; k < n; ++k)
      storePairInvariants(masses, shapes.data() + j * nodes * 3, shapes.data() + k * nodes * 3, j, k, n, i5, i9);
  }
}

bool invariants5And9Fetched(const std::vector<double> &masses, int modeCount,
                            const std::function<bool(int j, double *shape)> &fetch, std::vector<double> &i5,
                            std::vector<double> &i9, const std::function<void(int)> &onMode) {
  const size_t nodes = masses.size(), n = modeCount > 0 ? static_cast<size_t>(modeCount) : 0;
  std::vector<double> a(nodes * 3), b(nodes * 3);
  i5.assign(n * 3 * n, 0.0);
  i9.assign(n * n * 9, 0.0);
  for (size_t j = 0; j < n; ++j) {
    if (onMode) onMode(static_cast<int>(j));
    if (!fetch(static_cast<int>(j), a.data())) return false;
    for (size_t k = j; k < n; ++k) {
      if (!fetch(static_cast<int>(k), b.data())) return false;
      storePairInvariants(masses, a.data(), b.data(), j, k, n, i5, i9);
    }
  }
  return true;
}

}  // namespace qvb::reference
