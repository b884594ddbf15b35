// The one temperature at which the body's materials are evaluated.
//
// A material given at several temperatures has no single stiffness or
// density until a temperature is chosen: the command's --temperature, else
// the deck's uniform initial temperature. The values between the table's
// points are interpolated linearly and held constant beyond its ends, as the
// solver does.
#pragma once

#include <optional>

#include "errors.h"
#include "model.h"

namespace qvb::ccx2qvb {

// Sets youngsModulus, poissonRatio (or, for the other elastic types,
// stiffness and a representative youngsModulus) and densityValue of every
// material the elements use, and checks them (E > 0, -1 < nu < 0.5 or a
// positive definite stiffness, density > 0). Returns
// the temperature when a used material depended on it, else nothing. Throws
// DeckError naming the material and its *MATERIAL line when a table needs a
// temperature and none is known, or when a value is out of range; OptionError
// when the given temperature is not a finite number.
std::optional<double> resolveTemperature(Model *model, std::optional<double> given);

}  // namespace qvb::ccx2qvb
