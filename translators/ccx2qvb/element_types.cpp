#include "element_types.h"

#include <algorithm>
#include <cctype>

namespace qvb::ccx2qvb {
namespace {

const std::vector<std::pair<int, int>> kTetEdges = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
const std::vector<std::vector<int>> kTetFaces = {{0, 1, 2}, {0, 1, 3}, {1, 2, 3}, {0, 2, 3}};
const std::vector<std::pair<int, int>> kHexEdges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                                    {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
const std::vector<std::vector<int>> kHexFaces = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                                 {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
const std::vector<std::pair<int, int>> kWedgeEdges = {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5},
                                                      {5, 3}, {0, 3}, {1, 4}, {2, 5}};
const std::vector<std::vector<int>> kWedgeFaces = {{0, 1, 2}, {3, 4, 5}, {0, 1, 4, 3}, {1, 2, 5, 4}, {2, 0, 3, 5}};

const std::vector<std::pair<int, int>> kTriangleEdges = {{0, 1}, {1, 2}, {2, 0}};
const std::vector<std::pair<int, int>> kQuadEdges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
const std::vector<std::pair<int, int>> kLineEdges = {{0, 1}};  // a beam's ends
constexpr ElementKind kShell = ElementKind::kShell, kBeam = ElementKind::kBeam;

const std::vector<ElementType> &types() {
  static const std::vector<ElementType> all = {
      {"C3D4", 4, 4, kTetEdges, kTetFaces},
      {"C3D10", 10, 4, kTetEdges, kTetFaces},
      {"C3D8", 8, 8, kHexEdges, kHexFaces},
      {"C3D8R", 8, 8, kHexEdges, kHexFaces},
      {"C3D20", 20, 8, kHexEdges, kHexFaces},
      {"C3D20R", 20, 8, kHexEdges, kHexFaces},
      {"C3D6", 6, 6, kWedgeEdges, kWedgeFaces},
      {"C3D15", 15, 6, kWedgeEdges, kWedgeFaces},
      // As the solver expands them (a beam's middle node is its second).
      {"S3", 3, 3, kTriangleEdges, {}, kShell, "C3D6"},
      {"S6", 6, 3, kTriangleEdges, {}, kShell, "C3D15"},
      {"S4R", 4, 4, kQuadEdges, {}, kShell, "C3D8R"},
      {"S8", 8, 4, kQuadEdges, {}, kShell, "C3D20"},
      {"S8R", 8, 4, kQuadEdges, {}, kShell, "C3D20R"},
      {"B32", 3, 2, kLineEdges, {}, kBeam, "C3D20"},
  };
  return all;
}

}  // namespace

const ElementType *findTypeIn(const std::vector<ElementType> &types, const std::string &name) {
  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  for (const ElementType &t : types)
    if (upper == t.name) return &t;
  return nullptr;
}

const ElementType *findElementType(const std::string &name) { return findTypeIn(types(), name); }

std::string acceptedElementTypes() {
  std::string list;
  for (const ElementType &t : types()) list += (list.empty() ? "" : ", ") + std::string(t.name);
  return list;
}

const char *refusedElementReason(const std::string &name) {
  std::string upper = name;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  if (upper == "S4" || upper == "B31")
    return "the solver expands it into an incompatible-mode brick (C3D8I), whose internal unknowns the body "
           "cannot carry: use S4R or S8R, B32";
  if (upper == "B31R")
    return "the solver expands it into one reduced-integration brick across the section, whose hourglass motions "
           "have mass but no stiffness: the part would be a mechanism, not a free body (use B32)";
  if (upper == "B32R")
    return "the solver integrates its expanded brick with a rule of its own for beams, which no solid element "
           "reproduces, so the body could not describe what the solver analyses: use B32";
  return nullptr;
}

std::vector<int> facePerimeter(const ElementType &type, int face) {
  const std::vector<int> &corners = type.faces[face];
  if (!type.quadratic()) return corners;
  std::vector<int> perimeter;
  for (size_t i = 0; i < corners.size(); ++i) {
    const int a = corners[i], b = corners[(i + 1) % corners.size()];
    perimeter.push_back(a);
    for (size_t e = 0; e < type.edges.size(); ++e)
      if ((type.edges[e].first == a && type.edges[e].second == b) ||
          (type.edges[e].first == b && type.edges[e].second == a))
        perimeter.push_back(type.cornerCount + static_cast<int>(e));
  }
  return perimeter;
}

}  // namespace qvb::ccx2qvb
