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
  int load_cases = 0;
  bool rotor_dynamics = false;
  std::array<bool, 3> rotor_matrix{};  // RDGYRO, RDCIRC, RDDIFF
  int damping_entries = 0;
};

struct MatrixPlan {
  std::array<bool, kMatrixNameCount> present{};
  std::vector<int> edges;        // edge numbers, in the order of definition
  std::string invariant_flags;   // nine letters and a blank

  bool Has(int name) const { return present[name]; }
  // Named matrices in table order (the order of the header's name list).
  std::vector<int> Names() const;
  int Count() const { return static_cast<int>(Names().size() + edges.size()); }
};

// -E (rigid-body data only) wins over -F: both ask for less, and -E already
// leaves out invariants 5 and 9, so the result is the rigid-body set with its
// own flags word. Edges belong to the flexible data and go with -E too.
MatrixPlan PlanMatrices(bool skip_invariants_5_9, bool rigid_only, const BodyOffer &offer,
                        const std::vector<int> &edge_numbers);

}  // namespace qvb::convert
