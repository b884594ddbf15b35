// The connected pieces of a model: nodes joined by elements, springs,
// equations and rigid bodies. A free body must be one piece; contact does not join parts,
// so an assembly held only by contact falls apart into zero-energy motions.
#pragma once

#include <vector>

#include "errors.h"
#include "model.h"

namespace qvb::ccx2qvb {

struct Piece {
  long nodeCount = 0;
  int lowestNode = 0;  // the piece's lowest node ID, to name it
};

// The pieces, largest first. Nodes that no element or constraint uses do
// not count. Equations: the model's (with the tie equations appended).
std::vector<Piece> findPieces(const Model &model);

// Throws DeckError naming the pieces when there is more than one.
void requireOnePiece(const Model &model);

}  // namespace qvb::ccx2qvb
