// Interfaces: where a node set is tied to a new reference node.
#pragma once

#include <string>
#include <vector>

#include "analysis_decks.h"
#include "model.h"

namespace qvb::ccx2qvb {

// One interface per node set name, in order: the reference node at the
// set's centroid, IDs above the model's highest. Throws when a set does not
// exist, is empty, or its nodes lie on one line (a rigid tie could not fix
// the rotation about that line).
std::vector<Interface> defineInterfaces(const Model &model, const std::vector<std::string> &names);

}  // namespace qvb::ccx2qvb
