// The model's point masses and springs as deck text for the solver.
#pragma once

#include <string>

#include "model.h"

namespace qvb::ccx2qvb {

// *ELEMENT blocks of types MASS, SPRINGA and SPRING2 with their *MASS and
// *SPRING cards, one element set per distinct value (the cards take one
// value per set); empty when the model has none.
std::string discreteElementDeck(const Model &model);

}  // namespace qvb::ccx2qvb
