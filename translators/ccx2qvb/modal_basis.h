// The body's modes as the stages after the solver hand them on: shapes at
// the body's nodes, and a way to visit their stresses and strains.
#pragma once

#include <functional>

#include "frd_results.h"
#include "nodal_modes.h"

namespace qvb::ccx2qvb {

// take(kind, mode (0-based), model node index, six values in the body's
// convention: engineering shear strains).
using ModalResultSink = std::function<void(FrdResult kind, int mode, size_t node, const double *six)>;

struct ModalBasis {
  NodalModes shapes;
  std::function<void(const ModalResultSink &)> visitResults;
};

}  // namespace qvb::ccx2qvb
