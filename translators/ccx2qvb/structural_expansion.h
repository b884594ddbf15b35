// Shells and beams carried as the solids the solver expands them into.
//
// The solver analyses no shell or beam: it replaces each by a solid element
// one element thick (S3 -> C3D6, S6 -> C3D15, S4R -> C3D8R, S8 -> C3D20,
// S8R -> C3D20R; B32 -> C3D20), with new nodes offset from
// each node along the shell's normal (-t/2, 0, +t/2) or over the beam's
// rectangular section (its corners and side midpoints), and solves those.
// Its stored matrices and modes are on the new nodes' translations.
//
// The translator does the same expansion itself, at full precision and with
// the solver's own numbering of the new nodes (the model's highest ID + 1
// onwards, 3 per shell node or 8 per beam node, in increasing ID of the
// original node), and hands the solver the solids: their matrices are the
// ones the solver builds from the shell and beam deck, entry for entry. The
// body's nodes are then the solids' nodes, every quantity of the body is
// that of the model the solver analyses, and everything downstream (checks,
// mass properties, skin, stresses, interfaces) works on solids as before.
#pragma once

#include "model.h"

namespace qvb::ccx2qvb {

// Replaces every shell and beam element by its solid, adds the new nodes,
// removes the original nodes (no element uses them any more), and puts the
// new nodes in place of the original ones in node sets and node surfaces, so
// an interface on a shell edge ties the edge's whole thickness. Throws
// DeckError naming the cause for what the solver would not expand this way:
// a node where shells meet at a kink (over 15 degrees) or with different
// thicknesses or normals that turn over (the solver joins those through a
// rigid knot), a
// node shared with a solid or with a beam, a curved beam whose tangents
// disagree at a node, a beam direction along the beam, and constraints or
// element faces that name an original node or element.
void expandStructuralElements(Model *model);

}  // namespace qvb::ccx2qvb
