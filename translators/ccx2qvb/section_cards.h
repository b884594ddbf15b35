// The materials, orientations and solid sections of the model deck the
// solver is given (model.inp), from the values the translation uses: each
// material at the translation's temperature, each orientation as read.
#pragma once

#include <string>

#include "model.h"

namespace qvb::ccx2qvb {

// The element set of an element's section: one per material and orientation
// (QVBM<material>, QVBM<material>O<orientation>), numbered from 1.
std::string sectionSetName(const Model &model, size_t element);

// The cards of the orientations and materials the elements use and one
// *SOLID SECTION per element set of sectionSetName, at full precision.
std::string sectionCards(const Model &model);

}  // namespace qvb::ccx2qvb
