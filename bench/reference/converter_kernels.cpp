// The straightforward kernels behind src/kernels/reference_kernels_seam.h:
// what the converter did before its fast kernels, kept as the baseline that
// whole conversions and the invariant figures are measured against.
#include <cstdio>
#include <cstring>

#include "kernels/invariants_5_9.h"
#include "kernels/number_format.h"
#include "kernels/reference_kernels_seam.h"

namespace qvb::kernels::reference {

size_t formatScientific(char *out, double value, int width, int precision) {
  // snprintf ends its text with a NUL that the caller has not made room for.
  char text[kNumberTextMax + 1];
  const int length = std::snprintf(text, sizeof text, "%*.*E", width, precision, value);
  const size_t size = length > 0 ? static_cast<size_t>(length) : 0;
  std::memcpy(out, text, size);
  return size;
}

bool invariants5And9(const std::vector<double> &masses, int modeCount, const ModeShapeFetcher &fetch,
                     std::vector<double> &i5, std::vector<double> &i9, const std::function<void(int)> &onMode) {
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

}  // namespace qvb::kernels::reference
