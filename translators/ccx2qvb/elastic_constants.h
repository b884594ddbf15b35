// Elastic constants beyond isotropy: how many each *ELASTIC type takes, the
// stiffness the solver is given for them, and whether that stiffness is a
// stable material.
#pragma once

#include <vector>

#include "model.h"

namespace qvb::ccx2qvb {

// Constants per temperature point: 2, 9, 9 or 21.
int elasticConstantCount(ElasticType type);

// The stiffness as TYPE=ORTHO (9 entries) or TYPE=ANISO (21) takes it.
// Engineering constants become the orthotropic stiffness, the inverse of
// their compliance: the solver converts each point of a table so when it
// reads it, and interpolates the stiffness, not the engineering constants.
std::vector<double> stiffnessConstants(ElasticType type, const std::vector<double> &constants);

// For ORTHO or ANISO entries: false when the 6 x 6 stiffness is not positive
// definite (no stable material has it; the isotropic -1 < nu < 0.5, E > 0 is
// the same condition). Otherwise sets *largest to the largest of the Young's
// moduli along the material axes, 1 / compliance(i, i): E for an isotropic
// stiffness.
bool largestAxialModulus(const std::vector<double> &stiffness, double *largest);

}  // namespace qvb::ccx2qvb
