// Shape functions of the solid element types, in the solver's node order,
// and their derivatives with respect to the natural coordinates.
//
// Natural coordinates (r, s, t): tetrahedra on r, s, t >= 0, r + s + t <= 1
// (corner 1 at the origin, corners 2, 3, 4 at the unit points of r, s, t);
// hexahedra on [-1, 1]^3 (corners 1 to 4 at t = -1, counterclockwise seen
// from t > 0); wedges on the triangle r, s >= 0, r + s <= 1 (corners 1, 2, 3
// at r, s = 0 0, 1 0, 0 1) times t in [-1, 1] (corners 1 to 3 at t = -1).
// A midside node sits in the middle of its edge. Second-order hexahedra and
// wedges are the serendipity elements (no face or centre nodes).
#pragma once

#include <array>

#include "element_types.h"

namespace qvb::ccx2qvb {

constexpr int kMaxElementNodes = 20;

// The natural coordinates of node a of the type.
std::array<double, 3> naturalNodePosition(const ElementType &type, int a);

// At the natural point rst: the values n[a] and the derivatives
// dn[3 * a + k] with respect to natural coordinate k, for every node a.
void evaluateShapeFunctions(const ElementType &type, const double *rst, double *n, double *dn);

}  // namespace qvb::ccx2qvb
