// The finite-element model read from a deck: what the translator needs of it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "element_types.h"

namespace ccx2qvb {

struct Material {
  std::string name;  // upper case, as the solver folds it
  bool hasElastic = false;
  double youngsModulus = 0.0;
  double poissonRatio = 0.0;
  bool hasDensity = false;
  double density = 0.0;
};

struct Model {
  // Nodes in the order first defined; coordinates at full input precision.
  std::vector<int> nodeIds;
  std::vector<double> coordinates;  // x y z per node
  std::unordered_map<int, int32_t> nodeIndex;

  // Elements: connectivity by node ID, elementStart[e] .. elementStart[e + 1].
  std::vector<int> elementIds;
  std::vector<const ElementType *> elementTypes;
  std::vector<int64_t> elementStart{0};
  std::vector<int> connectivity;
  std::vector<int> elementMaterial;  // index into materials, per element

  // Sets by upper-case name: node IDs, element IDs (in the order given).
  std::map<std::string, std::vector<int>> nodeSets;
  std::map<std::string, std::vector<int>> elementSets;

  std::vector<Material> materials;
  std::vector<std::string> warnings;

  int highestNodeId() const;
  const double *position(int nodeId) const { return &coordinates[3 * nodeIndex.at(nodeId)]; }
};

}  // namespace ccx2qvb
