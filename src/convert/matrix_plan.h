// Which matrices a conversion writes. The file header lists exactly this
// plan and every matrix writer consults it, so the header can never promise
// a matrix that the file does not hold, nor leave one out.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "convert/mtx_format.h"

namespace qvb::convert {

// What the body offers, asked once before the header is written.
struct BodyOffer {
  bool preload = false;
  int loadCases = 0;
  bool rotorDynamics = false;
  std::array<bool, 3> rotorMatrix{};  // RDGYRO, RDCIRC, RDDIFF
  int dampingEntries = 0;
};

struct MatrixPlan {
  std::array<bool, kMatrixNameCount> present{};
  std::vector<int> edges;        // edge numbers, in the order of definition
  std::string invariantFlags;   // nine letters and a blank

  bool has(int name) const { return present[name]; }
  // Named matrices in table order (the order of the header's name list).
  std::vector<int> names() const;
  int count() const { return static_cast<int>(names().size() + edges.size()); }
};

// -E (rigid-body data only) wins over -F: both ask for less, and -E already
// leaves out invariants 5 and 9, so the result is the rigid-body set with its
// own flags word. Edges belong to the flexible data and go with -E too.
MatrixPlan planMatrices(bool skipInvariants59, bool rigidOnly, const BodyOffer &offer,
                        const std::vector<int> &edgeNumbers);

}  // namespace qvb::convert
