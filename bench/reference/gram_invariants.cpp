// Invariants 5 and 9 as the converter formed them before the Gram kernels:
// pair of modes by pair of modes, each pair's shapes fetched. Linked into
// the bench's reference libqvb in place of src/kernels/gram_invariants.cpp
// (same contracts; threads and the memory budget are not used).
#include <cstring>

#include "kernels/gram_invariants.h"
#include "reference/invariants_5_9.h"

namespace qvb::kernels {

void computeInvariants5And9Fast(const std::vector<double> &masses, const double *shapes, int modeCount,
                                std::vector<double> &i5, std::vector<double> &i9,
                                const std::function<void(int)> &onMode, unsigned) {
  const size_t values = masses.size() * 3;
  reference::invariants5And9Fetched(
      masses, modeCount,
      [&](int j, double *shape) {
        std::memcpy(shape, shapes + static_cast<size_t>(j) * values, values * sizeof(double));
        return true;
      },
      i5, i9, onMode);
}

void computeInvariants5And9Where(const std::vector<double> &masses, const std::vector<const double *> &modes,
                                 size_t stride, std::vector<double> &i5, std::vector<double> &i9,
                                 const std::function<void(int)> &onMode, unsigned) {
  reference::invariants5And9Fetched(
      masses, static_cast<int>(modes.size()),
      [&](int j, double *shape) {
        for (size_t p = 0; p < masses.size(); ++p)
          std::memcpy(shape + p * 3, modes[j] + p * stride, 3 * sizeof(double));
        return true;
      },
      i5, i9, onMode);
}

bool computeInvariants5And9Streamed(const std::vector<double> &masses, int modeCount, const ModeShapeFetcher &fetch,
                                    size_t, std::vector<double> &i5, std::vector<double> &i9,
                                    const std::function<void(int)> &onMode, unsigned) {
  return reference::invariants5And9Fetched(masses, modeCount, fetch, i5, i9, onMode);
}

}  // namespace qvb::kernels
