// The model's rigid-body mass properties, integrated exactly over the
// elements' own geometry.
//
// The solver's mass matrix is not exact for them: its reduced-integration
// and wedge elements lump their mass at too few points, so a centre or an
// inertia built from it can be off by percents. Here every integrand is a
// polynomial in the element's natural coordinates, integrated by a rule of
// high enough order to be exact (to rounding), curved second-order elements
// included.
#pragma once

#include "model.h"

namespace qvb::ccx2qvb {

// Integrals over the model, about the origin: of rho (mass), of rho x_i
// (firstMoment), of rho x_i x_j (secondMoment, row-major, symmetric).
struct RigidMass {
  double mass = 0;
  double firstMoment[3] = {};
  double secondMoment[9] = {};
};

// Density per element: its material's densityValue. The point masses are
// added at their nodes. Throws DeckError naming
// the element when one is inverted or degenerate (its Jacobian determinant
// is not positive at an integration point) or uses an undefined node.
RigidMass exactRigidMass(const Model &model);

}  // namespace qvb::ccx2qvb
