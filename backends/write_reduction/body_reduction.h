// A body reduced to some of its nodes: the lighter body a coarsened write
// stores.
//
// Everything the multibody solver takes from the body as a whole stays
// exactly that of the full body: the inertia invariants 1 to 9 (stored
// explicitly, so that nothing later recomputes them from the few remaining
// nodes), the global mass, centre and inertia, eigenvalues, generalized
// mass, stiffness and damping, the mode-shape transformation, modal loads,
// preload, operators and rotor dynamics. What belongs to single nodes is cut
// down to the kept nodes: coordinates, mode shapes, modal stresses and
// strains, nodal masses and inertias, nodal loads and monitor-point rows.
// The faces are the ones given; the element topology describes the full
// mesh and is dropped; so are stored modal statistics, which name nodes
// that may be gone (they are derived again from the kept nodes).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "body.h"

namespace qvb::coarsening {

// keptNodes: node IDs of the body (order does not matter); interface nodes
// are kept whether listed or not. faces: groups of vertex count and node
// IDs, all of them kept nodes. The reduced body keeps the full body's node
// order, carries the coarsened flag and says in its third header comment
// from how many nodes it was coarsened. Throws std::invalid_argument for an
// ID the body does not have.
std::unique_ptr<body::Body> reduceBody(const body::Body &full, const std::vector<int> &keptNodes,
                                       const std::vector<int> &faces);

}  // namespace qvb::coarsening
