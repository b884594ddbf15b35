// The deck's units: the solver has none, so the user names them, and they
// must form a consistent system (force = mass x length / time^2), or the
// body's stiffness and mass would not belong together.
#pragma once

#include <string>

#include "model.h"

namespace qvb::ccx2qvb {

// The four names (mass, length, time, force) in canonical form; throws
// OptionError naming an unknown name, a name of the wrong kind, or the
// mismatch of an inconsistent set.
void requireConsistentUnits(std::string units[4]);

// When the deck's materials (density, Young's modulus) are far from real
// solids in the assumed units but fit another common system, a warning
// naming that system and the option; empty otherwise.
std::string likelyUnitsWarning(const Model &model, const std::string units[4]);

}  // namespace qvb::ccx2qvb
