#include "tied_matrices.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "errors.h"

namespace qvb::ccx2qvb {
namespace {

// T row by row: mesh equation i is sum of weight * tied equation over its terms.
struct TieMap {
  std::vector<size_t> start{0};
  std::vector<size_t> equation;
  std::vector<double> weight;
  void add(size_t e, double w) {
    equation.push_back(e);
    weight.push_back(w);
  }
  void close() { start.push_back(equation.size()); }
};

// T' A T for the upper triangle A, upper triangle out, column by column.
SymmetricTriplets transform(const SymmetricTriplets &A, const TieMap &T, size_t order) {
  struct Entry {
    size_t row, col;
    double value;
  };
  std::vector<Entry> entries;
  entries.reserve(A.value.size() + A.value.size() / 8);
  for (size_t k = 0; k < A.value.size(); ++k) {
    const size_t i = A.row[k], j = A.col[k];
    for (size_t p = T.start[i]; p < T.start[i + 1]; ++p)
      for (size_t q = T.start[j]; q < T.start[j + 1]; ++q) {
        const size_t a = T.equation[p], b = T.equation[q];
        const double v = A.value[k] * T.weight[p] * T.weight[q];
        // A diagonal entry of A counts once; an entry above it stands for
        // its mirror too, which lands on the same place of the upper
        // triangle, or again on the diagonal.
        if (i == j) {
          if (a <= b) entries.push_back({a, b, v});
        } else {
          entries.push_back({std::min(a, b), std::max(a, b), a == b ? 2 * v : v});
        }
      }
  }
  // Columns by counting, then rows within each column; repeats summed.
  std::vector<size_t> columnStart(order + 1, 0);
  for (const Entry &e : entries) ++columnStart[e.col + 1];
  for (size_t c = 0; c < order; ++c) columnStart[c + 1] += columnStart[c];
  std::vector<std::pair<size_t, double>> byColumn(entries.size());
  {
    std::vector<size_t> fill(columnStart.begin(), columnStart.end() - 1);
    for (const Entry &e : entries) byColumn[fill[e.col]++] = {e.row, e.value};
  }
  entries.clear();
  entries.shrink_to_fit();
  SymmetricTriplets out;
  out.order = order;
  out.row.reserve(byColumn.size());
  out.col.reserve(byColumn.size());
  out.value.reserve(byColumn.size());
  for (size_t c = 0; c < order; ++c) {
    auto first = byColumn.begin() + static_cast<std::ptrdiff_t>(columnStart[c]);
    auto last = byColumn.begin() + static_cast<std::ptrdiff_t>(columnStart[c + 1]);
    std::sort(first, last, [](const auto &x, const auto &y) { return x.first < y.first; });
    for (auto it = first; it != last; ++it) {
      if (!out.row.empty() && out.col.back() == c && out.row.back() == it->first) {
        out.value.back() += it->second;
      } else {
        out.row.push_back(it->first);
        out.col.push_back(c);
        out.value.push_back(it->second);
      }
    }
  }
  return out;
}

}  // namespace

TiedMatrices tieInterfaces(const Model &model, const std::vector<Interface> &interfaces, const std::vector<Dof> &dofs,
                           const SymmetricTriplets &stiffness, const SymmetricTriplets &mass) {
  // Which interface each tied node follows.
  std::unordered_map<int, size_t> follows;
  for (size_t k = 0; k < interfaces.size(); ++k)
    for (int id : interfaces[k].nodes) follows.emplace(id, k);
  TiedMatrices out;
  std::vector<long> kept(dofs.size(), -1);
  for (size_t i = 0; i < dofs.size(); ++i)
    if (follows.count(dofs[i].node) == 0) {
      kept[i] = static_cast<long>(out.dofs.size());
      out.dofs.push_back(dofs[i]);
    }
  const size_t first = out.dofs.size();  // the interfaces' equations: reference node 1..3, rotation node 1..3
  for (const Interface &i : interfaces)
    for (int node : {i.refNode, i.rotNode})
      for (int direction = 1; direction <= 3; ++direction) out.dofs.push_back({node, direction});
  TieMap T;
  for (size_t i = 0; i < dofs.size(); ++i) {
    if (kept[i] >= 0) {
      T.add(static_cast<size_t>(kept[i]), 1.0);
      T.close();
      continue;
    }
    const size_t k = follows.at(dofs[i].node);
    const auto at = model.nodeIndex.find(dofs[i].node);
    const int d = dofs[i].direction - 1;
    if (at == model.nodeIndex.end() || d < 0 || d > 2)
      throw ResultFileError("the mesh's equations hold node " + std::to_string(dofs[i].node) + " direction " +
                            std::to_string(dofs[i].direction) + ", not a translation of a model node");
    const double *x = &model.coordinates[3 * static_cast<size_t>(at->second)];
    const double r[3] = {x[0] - interfaces[k].centre[0], x[1] - interfaces[k].centre[1],
                         x[2] - interfaces[k].centre[2]};
    const size_t translation = first + 6 * k, rotation = translation + 3;
    // (theta x r)_d = theta_{d+1} r_{d+2} - theta_{d+2} r_{d+1}, indices mod 3.
    const int d1 = (d + 1) % 3, d2 = (d + 2) % 3;
    T.add(translation + static_cast<size_t>(d), 1.0);
    T.add(rotation + static_cast<size_t>(d1), r[d2]);
    T.add(rotation + static_cast<size_t>(d2), -r[d1]);
    T.close();
  }
  out.stiffness = transform(stiffness, T, out.dofs.size());
  out.mass = transform(mass, T, out.dofs.size());
  return out;
}

}  // namespace qvb::ccx2qvb
