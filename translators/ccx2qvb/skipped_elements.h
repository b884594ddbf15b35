// Surface and line elements that no section names.
//
// A mesher's export holds, beside the solid elements, the surface and line
// elements of its boundary groups (gmsh writes every physical group's
// elements: CPS3, CPS4, CPS6, CPS8, M3D9, T3D2, T3D3). Without a section they
// carry no stiffness or mass, so they are not part of the body: they are
// read, skipped with one warning, and kept only as their nodes, so that an
// element set of them can still name nodes (an interface).
#pragma once

#include <string>

#include "element_types.h"
#include "model.h"

namespace qvb::ccx2qvb {

// A surface or line type read only to be skipped (plane, axisymmetric,
// membrane and truss elements), or null.
const ElementType *findSurfaceOrLineType(const std::string &name);

// True for those and for the carried shells and beams.
bool isSurfaceOrLine(const ElementType &type);

// Removes the surface and line elements that have no material (no section
// named them) into model->skippedElements; adds one warning with the count
// per type. Throws when a surface names a face of one of them.
void skipSurfaceAndLineElements(Model *model);

}  // namespace qvb::ccx2qvb
