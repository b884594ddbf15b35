#include "pieces.h"

#include <algorithm>
#include <cstdint>

namespace qvb::ccx2qvb {
namespace {

// Union-find over node indices, halving paths and joining by size.
class Components {
 public:
  explicit Components(size_t count) : parent_(count), size_(count, 1) {
    for (size_t i = 0; i < count; ++i) parent_[i] = static_cast<int32_t>(i);
  }
  int32_t root(int32_t a) {
    while (parent_[static_cast<size_t>(a)] != a) {
      parent_[static_cast<size_t>(a)] = parent_[static_cast<size_t>(parent_[static_cast<size_t>(a)])];
      a = parent_[static_cast<size_t>(a)];
    }
    return a;
  }
  void join(int32_t a, int32_t b) {
    a = root(a), b = root(b);
    if (a == b) return;
    if (size_[static_cast<size_t>(a)] < size_[static_cast<size_t>(b)]) std::swap(a, b);
    parent_[static_cast<size_t>(b)] = a;
    size_[static_cast<size_t>(a)] += size_[static_cast<size_t>(b)];
  }

 private:
  std::vector<int32_t> parent_;
  std::vector<int32_t> size_;
};

// Node ID to index: a table when the IDs are dense enough (the usual case,
// and much faster than hashing on millions of connectivity entries).
class NodeLookup {
 public:
  explicit NodeLookup(const Model &model) : model_(model) {
    const int highest = model.nodeIds.empty() ? 0 : model.highestNodeId();
    if (highest >= 0 && static_cast<size_t>(highest) <= 4 * model.nodeIds.size() + 1024) {
      table_.assign(static_cast<size_t>(highest) + 1, -1);
      for (size_t i = 0; i < model.nodeIds.size(); ++i)
        if (model.nodeIds[i] >= 0) table_[static_cast<size_t>(model.nodeIds[i])] = static_cast<int32_t>(i);
    }
  }
  // The index, or -1 for a node the model does not define.
  int32_t operator()(int id) const {
    if (!table_.empty())
      return id >= 0 && static_cast<size_t>(id) < table_.size() ? table_[static_cast<size_t>(id)] : -1;
    auto found = model_.nodeIndex.find(id);
    return found == model_.nodeIndex.end() ? -1 : found->second;
  }

 private:
  const Model &model_;
  std::vector<int32_t> table_;
};

std::string grouped(long n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

std::vector<Piece> findPieces(const Model &model) {
  const size_t nodes = model.nodeIds.size();
  const NodeLookup index(model);
  Components components(nodes);
  std::vector<char> used(nodes, 0);
  // Joins a group of nodes given by ID (undefined ones are the reader's to refuse).
  auto joinAll = [&](auto begin, auto end, auto idOf) {
    int32_t first = -1;
    for (auto it = begin; it != end; ++it) {
      const int32_t a = index(idOf(*it));
      if (a < 0) continue;
      used[static_cast<size_t>(a)] = 1;
      if (first < 0) first = a;
      components.join(first, a);
    }
  };
  const auto id = [](int n) { return n; };
  for (size_t e = 0; e < model.elementIds.size(); ++e)
    joinAll(model.connectivity.begin() + model.elementStart[e], model.connectivity.begin() + model.elementStart[e + 1],
            id);
  for (const Spring &s : model.springs) joinAll(s.nodes, s.nodes + 2, id);         // an elastic connection
  for (const PointMass &m : model.pointMasses) joinAll(&m.node, &m.node + 1, id);  // alone, a piece of its own
  for (const Equation &eq : model.equations)
    joinAll(eq.terms.begin(), eq.terms.end(), [](const EquationTerm &t) { return t.node; });
  for (const RigidBody &body : model.rigidBodies) {
    const int ends[2] = {body.refNode, body.rotNode};
    std::vector<int> all(body.nodes);
    all.insert(all.end(), ends, ends + 2);
    joinAll(all.begin(), all.end(), id);
  }
  std::vector<long> count(nodes, 0);
  std::vector<int> lowest(nodes, 0);
  for (size_t a = 0; a < nodes; ++a) {
    if (!used[a]) continue;
    const size_t r = static_cast<size_t>(components.root(static_cast<int32_t>(a)));
    if (count[r]++ == 0 || model.nodeIds[a] < lowest[r]) lowest[r] = model.nodeIds[a];
  }
  std::vector<Piece> pieces;
  for (size_t r = 0; r < nodes; ++r)
    if (count[r] > 0) pieces.push_back({count[r], lowest[r]});
  std::sort(pieces.begin(), pieces.end(), [](const Piece &a, const Piece &b) {
    return a.nodeCount != b.nodeCount ? a.nodeCount > b.nodeCount : a.lowestNode < b.lowestNode;
  });
  return pieces;
}

void requireOnePiece(const Model &model) {
  const std::vector<Piece> pieces = findPieces(model);
  if (pieces.size() <= 1) return;
  std::string list;
  const size_t shown = std::min<size_t>(pieces.size(), 5);
  for (size_t k = 0; k < shown; ++k)
    list += (k > 0 ? "; " : "") + grouped(pieces[k].nodeCount) + (pieces[k].nodeCount == 1 ? " node" : " nodes") +
            " with node " + std::to_string(pieces[k].lowestNode);
  if (pieces.size() > shown) list += "; " + grouped(static_cast<long>(pieces.size() - shown)) + " more";
  throw DeckError("the model falls into " + grouped(static_cast<long>(pieces.size())) + " unconnected pieces (" + list +
                  "): a free body must be one piece; join them with *TIE (contact pairs do not join parts)");
}

}  // namespace qvb::ccx2qvb
