#include "skipped_elements.h"

#include <algorithm>
#include <map>

#include "errors.h"

namespace qvb::ccx2qvb {
namespace {

// Plane, axisymmetric, membrane and truss types, read only to be skipped;
// node counts only: a skipped element needs no edges or faces (a surface
// naming a face of one is refused). Shells and beams are carried types.
const std::vector<ElementType> &surfaceAndLineTypes() {
  static const std::vector<ElementType> all = [] {
    const std::pair<const char *, int> named[] = {
        {"T3D2", 2},  {"T3D3", 3},  {"CPS3", 3},  {"CPS4", 4},  {"CPS4R", 4}, {"CPS6", 6},  {"CPS8", 8},
        {"CPS8R", 8}, {"CPE3", 3},  {"CPE4", 4},  {"CPE4R", 4}, {"CPE6", 6},  {"CPE8", 8},  {"CPE8R", 8},
        {"CAX3", 3},  {"CAX4", 4},  {"CAX4R", 4}, {"CAX6", 6},  {"CAX8", 8},  {"CAX8R", 8}, {"M3D3", 3},
        {"M3D4", 4},  {"M3D4R", 4}, {"M3D6", 6},  {"M3D8", 8},  {"M3D8R", 8}, {"M3D9", 9},
    };
    std::vector<ElementType> types;
    for (const auto &[name, nodes] : named) types.push_back({name, nodes, nodes, {}, {}});
    return types;
  }();
  return all;
}

std::string countsByType(const std::map<std::string, size_t> &counts) {
  std::string list;
  for (const auto &[name, count] : counts) list += (list.empty() ? "" : ", ") + std::to_string(count) + " " + name;
  return list;
}

}  // namespace

const ElementType *findSurfaceOrLineType(const std::string &name) { return findTypeIn(surfaceAndLineTypes(), name); }

bool isSurfaceOrLine(const ElementType &type) {
  return type.kind != ElementKind::kSolid || findSurfaceOrLineType(type.name) != nullptr;
}

void skipSurfaceAndLineElements(Model *model) {
  Model &m = *model;
  std::map<std::string, size_t> skipped;
  size_t kept = 0;
  int64_t keptEnd = 0;
  for (size_t e = 0; e < m.elementIds.size(); ++e) {
    const int64_t begin = m.elementStart[e], end = m.elementStart[e + 1];
    if (m.elementMaterial[e] < 0 && isSurfaceOrLine(*m.elementTypes[e])) {
      ++skipped[m.elementTypes[e]->name];
      m.skippedElements.emplace(m.elementIds[e],
                                std::vector<int>(m.connectivity.begin() + begin, m.connectivity.begin() + end));
      continue;
    }
    std::copy(m.connectivity.begin() + begin, m.connectivity.begin() + end, m.connectivity.begin() + keptEnd);
    keptEnd += end - begin;
    m.elementIds[kept] = m.elementIds[e];
    m.elementTypes[kept] = m.elementTypes[e];
    m.elementMaterial[kept] = m.elementMaterial[e];
    m.elementOrientation[kept] = m.elementOrientation[e];
    m.elementStructuralSection[kept] = m.elementStructuralSection[e];
    m.elementStart[++kept] = keptEnd;
  }
  if (skipped.empty()) return;
  m.elementIds.resize(kept);
  m.elementTypes.resize(kept);
  m.elementMaterial.resize(kept);
  m.elementOrientation.resize(kept);
  m.elementStructuralSection.resize(kept);
  m.elementStart.resize(kept + 1);
  m.connectivity.resize(static_cast<size_t>(keptEnd));
  if (m.elementIds.empty()) throw DeckError("the deck defines no solid elements (only surface and line elements)");
  for (const auto &[name, surface] : m.surfaces)
    for (const auto &face : surface.faces)
      if (m.skippedElements.count(face.first) != 0)
        throw DeckError(surface.where.text() + ": surface " + name + " names element " + std::to_string(face.first) +
                        ", a surface or line element without a section");
  m.warnings.push_back("surface and line elements without a section are not part of the body, skipped: " +
                       countsByType(skipped));
}

}  // namespace qvb::ccx2qvb
