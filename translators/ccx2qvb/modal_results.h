// Modal stresses and strains of the solver's result file, at the model's
// nodes and in the body's convention.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "frd_results.h"
#include "model.h"

namespace qvb::ccx2qvb {

// Reads result sets 1..expected.sets of one file; take(kind, set - 1, model
// node index, six values) with the solver's tensor shear strains doubled
// into the body's engineering shears, for the nodes that elements use
// (elementNode, per model node index), each of which must have its values.
// Strict as readFrdResults.
template <typename Take>
void readModalResults(const std::string &path, const Model &model, const std::vector<char> &elementNode,
                      const FrdExpectation &expected, Take take) {
  readFrdResults(path, expected, [&](FrdResult kind, int set, int node, const double *v) {
    const auto it = model.nodeIndex.find(node);
    if (set < 1 || set > expected.sets || it == model.nodeIndex.end() || !elementNode[it->second]) return false;
    double six[6] = {v[0], v[1], v[2], v[3], v[4], v[5]};
    if (kind == FrdResult::kStrain)
      for (int c = 3; c < 6; ++c) six[c] *= 2.0;
    take(kind, set - 1, static_cast<size_t>(it->second), six);
    return true;
  });
}

}  // namespace qvb::ccx2qvb
