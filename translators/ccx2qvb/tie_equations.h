// Ties (*TIE) as equations the translator writes itself, so that it knows
// exactly what the solver eliminates: each slave node follows the nearest
// point of the master surface, u_s,d - sum N_i u_i,d = 0 for d = 1..3, with
// N_i the master face's shape functions at that point.
#pragma once

#include <vector>

#include "errors.h"
#include "model.h"

namespace qvb::ccx2qvb {

// A tie that gives no position tolerance accepts slave nodes this far from
// the master surface, as a fraction of the master faces' mean edge length.
constexpr double kDefaultTieTolerance = 0.025;

// The equations of every tie in the model (three per tied slave node, each
// with its tie's line); the caller appends them to model.equations.
//
// Slave nodes are the nodes of the slave surface (element faces or nodes);
// the master surface must be element faces. With ADJUST a tied slave node is
// moved onto its master point in model.coordinates, so the equations carry
// rigid motions exactly; without it the node stays and the equations carry
// rotations only up to its gap. Skipped: slave nodes that are nodes of the
// master surface or already dependent (first term of a model equation, a
// rigid body's tied node, a slave of an earlier tie). Nodes beyond the
// tolerance stay free; each tie that leaves some adds one warning counting
// them to model.warnings. Coefficients and moved coordinates are kept at the
// values the solver reads back from the deck.
//
// Throws DeckError (the tie's file:line) for a surface that does not exist,
// a master surface of nodes, or a face that no element of the model has.
std::vector<Equation> tieEquations(Model &model);

}  // namespace qvb::ccx2qvb
