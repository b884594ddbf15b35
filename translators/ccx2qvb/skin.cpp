#include "skin.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace qvb::ccx2qvb {
namespace {

// A face is known by its sorted corner IDs (the fourth is 0 for triangles).
struct FaceKey {
  std::array<int, 4> corners;
  bool operator==(const FaceKey &o) const { return corners == o.corners; }
};
struct FaceKeyHash {
  size_t operator()(const FaceKey &k) const {
    uint64_t h = 1469598103934665603ull;
    for (int c : k.corners) h = (h ^ static_cast<uint32_t>(c)) * 1099511628211ull;
    return static_cast<size_t>(h);
  }
};

struct FaceUse {
  int count;
  uint32_t element;
  uint8_t face;
};

}  // namespace

std::vector<std::vector<int>> skinFaces(const Model &model) {
  std::unordered_map<FaceKey, FaceUse, FaceKeyHash> uses;
  uses.reserve(model.elementIds.size() * 3);
  std::vector<FaceKey> order;  // first appearance, so the output does not depend on hashing
  for (size_t e = 0; e < model.elementIds.size(); ++e) {
    const ElementType &type = *model.elementTypes[e];
    const int *nodes = &model.connectivity[static_cast<size_t>(model.elementStart[e])];
    for (size_t f = 0; f < type.faces.size(); ++f) {
      FaceKey key{{0, 0, 0, 0}};
      const std::vector<int> &corners = type.faces[f];
      for (size_t c = 0; c < corners.size(); ++c) key.corners[c] = nodes[corners[c]];
      std::sort(key.corners.begin(), key.corners.begin() + static_cast<long>(corners.size()));
      auto [it, fresh] = uses.try_emplace(key, FaceUse{0, static_cast<uint32_t>(e), static_cast<uint8_t>(f)});
      if (fresh) order.push_back(key);
      ++it->second.count;
    }
  }
  std::vector<std::vector<int>> faces;
  for (const FaceKey &key : order) {
    const FaceUse &use = uses.at(key);
    if (use.count != 1) continue;
    const ElementType &type = *model.elementTypes[use.element];
    const int *nodes = &model.connectivity[static_cast<size_t>(model.elementStart[use.element])];
    // Outward: the face normal (Newell's formula over the corners) must point
    // away from the element's centre. Decided on the geometry, so it holds for
    // any corner numbering and for inverted elements alike.
    double centre[3] = {0, 0, 0};
    for (int c = 0; c < type.cornerCount; ++c) {
      const double *x = model.position(nodes[c]);
      for (int k = 0; k < 3; ++k) centre[k] += x[k] / type.cornerCount;
    }
    const std::vector<int> &corners = type.faces[use.face];
    double normal[3] = {0, 0, 0}, faceCentre[3] = {0, 0, 0};
    for (size_t c = 0; c < corners.size(); ++c) {
      const double *a = model.position(nodes[corners[c]]);
      const double *b = model.position(nodes[corners[(c + 1) % corners.size()]]);
      normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
      normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
      normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
      for (int k = 0; k < 3; ++k) faceCentre[k] += a[k] / static_cast<double>(corners.size());
    }
    double outward = 0;
    for (int k = 0; k < 3; ++k) outward += normal[k] * (faceCentre[k] - centre[k]);
    std::vector<int> perimeter = facePerimeter(type, use.face);
    std::vector<int> ids;
    ids.reserve(perimeter.size());
    for (int local : perimeter) ids.push_back(nodes[local]);
    if (outward < 0) std::reverse(ids.begin() + 1, ids.end());
    faces.push_back(std::move(ids));
  }
  return faces;
}

}  // namespace qvb::ccx2qvb
