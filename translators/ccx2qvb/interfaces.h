// Interfaces: where a node set is tied to a new reference node.
#pragma once

#include <string>
#include <vector>

#include "analysis_decks.h"
#include "model.h"

namespace qvb::ccx2qvb {

// One interface per set name, in order: a node set, else the nodes of an
// element set's elements (skipped surface elements too, so a mesher's
// boundary group serves directly); the reference node at the nodes'
// centroid, IDs above the model's highest. Throws when a set does not exist,
// is empty, or its nodes lie on one line (a rigid tie could not fix the
// rotation about that line).
std::vector<Interface> defineInterfaces(const Model &model, const std::vector<std::string> &names);

}  // namespace qvb::ccx2qvb
