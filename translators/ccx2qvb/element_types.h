// The element types the translator accepts and their local topology.
//
// Shells and beams are carried as the solids the solver expands them into
// (structural_expansion.h); their entries name that solid type.
//
// Node order is the solver's input order: corners first, then one midside
// node per edge in the order of the edge table. Faces are listed by their
// corners; a second-order face's midside nodes follow from the edge table.
#pragma once

#include <string>
#include <vector>

namespace qvb::ccx2qvb {

enum class ElementKind { kSolid, kShell, kBeam };

struct ElementType {
  const char *name;                              // as written in decks, upper case
  int nodeCount;                                 // corners + midside nodes
  int cornerCount;
  std::vector<std::pair<int, int>> edges;        // corner pairs; midside node of edge e is cornerCount + e
  std::vector<std::vector<int>> faces;           // corner cycles (3 or 4); none for shells and beams
  ElementKind kind = ElementKind::kSolid;
  const char *solid = nullptr;  // shells and beams: the solid type they expand into
  bool quadratic() const { return nodeCount > cornerCount; }
};

// The type named (case-insensitive), or null for a type the translator does
// not handle.
const ElementType *findElementType(const std::string &name);

// The type of that name (case-insensitive) in a list of types, or null.
const ElementType *findTypeIn(const std::vector<ElementType> &types, const std::string &name);

// The names accepted, for messages.
std::string acceptedElementTypes();

// Why a type the solver has is refused (null when it is not one of those).
const char *refusedElementReason(const std::string &name);

// The element-local indices of one face in perimeter order: corners only for
// first-order elements, corner, midside, corner, ... for second-order ones.
std::vector<int> facePerimeter(const ElementType &type, int face);

}  // namespace qvb::ccx2qvb
