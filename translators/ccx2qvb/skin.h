// The outer skin of a solid mesh: element faces that belong to one element
// only, each turned to face outward.
#pragma once

#include <vector>

#include "model.h"

namespace qvb::ccx2qvb {

// Faces as node IDs in perimeter order (corner, midside, corner, ... for
// second-order faces: 6- and 8-vertex polygons that draw as the curved face's
// outline), counter-clockwise seen from outside.
std::vector<std::vector<int>> skinFaces(const Model &model);

}  // namespace qvb::ccx2qvb
