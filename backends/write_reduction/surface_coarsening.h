// The writer's own surface coarsening, for hosts without an interpreter:
// the method of the shipped script examples/python/tolvane.py, node for node.
//
// Vertex clustering on a regular grid: every surface node (a node some face
// uses) falls into a cell; each cell keeps the node nearest to its members'
// mean position, or, when it holds interface nodes, all of those, and its
// other nodes join the nearest of them. Faces move onto the kept nodes;
// those left with fewer than three distinct nodes, or repeating another
// face, are dropped. A cell size of 0 lets the level choose the share of
// surface nodes kept (light a half, standard a quarter, aggressive a tenth)
// by searching the cell size; a positive one is the cell edge length in the
// body's current length unit.
#pragma once

#include <vector>

#include "body.h"

namespace qvb::coarsening {

struct CoarseSurface {
  std::vector<int> nodes;  // node IDs kept, in the body's order
  std::vector<int> faces;  // groups: vertex count, then node IDs
};

// level: -1 light, 0 standard, 1 aggressive; cellSize above 0 fixes the cells
// instead. Whatever the level, the surface keeps faces: when the cells the
// level asks for merge them all, they are made smaller until faces survive.
// Throws std::invalid_argument when a face uses a node the body lacks, or
// when a given cell size merges every face.
CoarseSurface coarsenSurface(const body::Body &body, int level, double cellSize);

}  // namespace qvb::coarsening
