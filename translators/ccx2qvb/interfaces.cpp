#include "interfaces.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <unordered_map>

#include "errors.h"

namespace qvb::ccx2qvb {
namespace {

size_t elementNodeCount(const Model &model) {
  std::set<int> used(model.connectivity.begin(), model.connectivity.end());
  return used.size();
}

// The nodes of an element set's elements, the model's and the skipped
// surface and line elements alike (a mesher's boundary groups).
std::vector<int> elementSetNodes(const Model &model, const std::vector<int> &elements, const std::string &given) {
  std::unordered_map<int, size_t> index;
  for (size_t e = 0; e < model.elementIds.size(); ++e) index.emplace(model.elementIds[e], e);
  std::vector<int> nodes;
  for (int id : elements) {
    if (auto skipped = model.skippedElements.find(id); skipped != model.skippedElements.end()) {
      nodes.insert(nodes.end(), skipped->second.begin(), skipped->second.end());
    } else if (auto e = index.find(id); e != index.end()) {
      nodes.insert(nodes.end(), model.connectivity.begin() + model.elementStart[e->second],
                   model.connectivity.begin() + model.elementStart[e->second + 1]);
    } else {
      throw DeckError("interface element set " + given + " holds element " + std::to_string(id) +
                      ", which is not defined");
    }
  }
  return nodes;
}

// The nodes an -i names, sorted: a node set, else an element set's nodes.
std::vector<int> interfaceNodes(const Model &model, const std::string &name, const std::string &given) {
  std::vector<int> nodes;
  if (auto set = model.nodeSets.find(name); set != model.nodeSets.end()) {
    nodes = set->second;
  } else if (auto elements = model.elementSets.find(name); elements != model.elementSets.end()) {
    nodes = elementSetNodes(model, elements->second, given);
  } else {
    throw DeckError("interface set " + given + " is neither a node set nor an element set of the deck");
  }
  std::sort(nodes.begin(), nodes.end());
  nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
  return nodes;
}

}  // namespace

std::vector<Interface> defineInterfaces(const Model &model, const std::vector<std::string> &names) {
  std::vector<Interface> interfaces;
  int next = model.highestNodeId() + 1;
  std::set<int> tied;
  const size_t allNodes = elementNodeCount(model);
  for (const std::string &given : names) {
    std::string name = given;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    const std::vector<int> nodes = interfaceNodes(model, name, given);
    if (nodes.empty()) throw DeckError("interface set " + given + " is empty");
    Interface i;
    i.nodeSet = name;
    for (int id : nodes) {
      if (model.nodeIndex.count(id) == 0)
        throw DeckError("interface set " + given + " holds node " + std::to_string(id) + ", which is not defined");
      if (!tied.insert(id).second)
        throw DeckError("node " + std::to_string(id) + " belongs to two interfaces (" + given + " and an earlier one)");
      const double *x = model.position(id);
      for (int c = 0; c < 3; ++c) i.centre[c] += x[c] / static_cast<double>(nodes.size());
    }
    // Singular when every node lies on one line through the centroid: find
    // the farthest node, then the largest distance from that line.
    double farthest = 0, axis[3] = {0, 0, 0};
    for (int id : nodes) {
      const double *x = model.position(id);
      const double d[3] = {x[0] - i.centre[0], x[1] - i.centre[1], x[2] - i.centre[2]};
      const double r = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
      if (r > farthest) {
        farthest = r;
        for (int c = 0; c < 3; ++c) axis[c] = d[c] / r;
      }
    }
    double offLine = 0;
    for (int id : nodes) {
      const double *x = model.position(id);
      const double d[3] = {x[0] - i.centre[0], x[1] - i.centre[1], x[2] - i.centre[2]};
      const double along = d[0] * axis[0] + d[1] * axis[1] + d[2] * axis[2];
      double rest = 0;
      for (int c = 0; c < 3; ++c) rest += (d[c] - along * axis[c]) * (d[c] - along * axis[c]);
      offLine = std::max(offLine, std::sqrt(rest));
    }
    if (nodes.size() >= allNodes)
      throw DeckError("interface set " + given +
                      " holds every node of the model: tied rigidly, the part "
                      "would have no flexibility left");
    if (!(offLine > 1e-9 * farthest) || !(farthest > 0))
      throw DeckError("interface set " + given + " is singular: its " + std::to_string(nodes.size()) +
                      " node(s) lie on one line, so a rigid tie cannot carry rotations");
    i.refNode = next++;
    i.rotNode = next++;
    i.nodes = nodes;
    interfaces.push_back(i);
  }
  return interfaces;
}

}  // namespace qvb::ccx2qvb
