// Constraints a free body cannot have, or that the solver would fail on with
// its own raw text, refused with our sentence and the deck's line.
#pragma once

#include "errors.h"
#include "model.h"

namespace qvb::ccx2qvb {

// An equation's sum over a rigid motion may be this far from zero, relative
// to its coefficients (times the model's size for rotations). Such a misfit
// holds the rigid motion with a stiffness of its square, below the solver's
// own noise on the rigid modes, and it passes coefficients printed to six
// digits.
constexpr double kRigidMotionTolerance = 1e-5;

// The model's centre and size (the diagonal of its box): rotations are taken
// about the centre, and their misfit is relative to the size.
struct Extent {
  double centre[3] = {0, 0, 0};
  double size = 0.0;
};
Extent extentOf(const Model &model);

// Throws DeckError (file:line) for an equation that names an undefined node,
// a direction outside 1..3 or its dependent term twice, whose first
// coefficient is zero, or that holds a rigid-body motion (a one-term
// equation; terms whose sum over a translation or a rotation about any axis
// is not zero); for a rigid body whose reference or rotation node is a tied
// node or an element's node; and for a degree of freedom dependent in two
// constraints. Run it on the deck's constraints, before the tie equations
// are appended (a tie without ADJUST may hold rotations by its gaps, as the
// solver's own would).
void checkConstraints(const Model &model);

}  // namespace qvb::ccx2qvb
