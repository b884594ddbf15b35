// Every step mirrors the shipped script, down to the order of additions and
// the tie-breaks, so that coarsen(...) and adv_coarsen(...) keep the same
// nodes; this file is built without floating-point contraction for that.
#include "surface_coarsening.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace qvb::coarsening {
namespace {

using body::Body;

// Cells are numbered along each axis in 64-bit integers, as the script does.
constexpr double kMaxCells = 4611686018427387904.0;  // 2^62

double keepFraction(int level) { return level < 0 ? 0.5 : level > 0 ? 0.1 : 0.25; }

// The script sees coordinates as the library prints them for it, with ten
// decimals in scientific notation; clustering the same numbers gives the
// same cells.
double asPrinted(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.10e", value);
  return std::strtod(text, nullptr);
}

double distance2(const double *a, const double *b) {
  const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  double sum = dx * dx;
  sum += dy * dy;
  sum += dz * dz;
  return sum;
}

// The surface nodes in ascending ID order, with the positions the script
// would read.
class Surface {
 public:
  Surface(const Body &b, const std::unordered_set<int> &isProtected) {
    for (size_t i = 0; i < b.faces.size();) {
      const int count = std::max(b.faces[i], 0);
      for (int k = 1; k <= count && i + k < b.faces.size(); ++k) ids_.push_back(b.faces[i + k]);
      i += 1 + count;
    }
    std::sort(ids_.begin(), ids_.end());
    ids_.erase(std::unique(ids_.begin(), ids_.end()), ids_.end());
    const double f = body::conversionFactor(b.storedUnits, b.currentUnits, body::dim::kLength);
    for (int id : ids_) {
      const int p = b.nodeIndex(id);
      if (p < 0) throw std::invalid_argument("a face uses node " + std::to_string(id) + ", which the body lacks");
      for (int r = 0; r < 3; ++r) xyz_.push_back(asPrinted(b.coordinates[3 * static_cast<size_t>(p) + r] * f));
      protected_.push_back(isProtected.count(id) ? 1 : 0);
    }
  }

  size_t size() const { return ids_.size(); }
  int id(size_t s) const { return ids_[s]; }
  const double *at(size_t s) const { return &xyz_[3 * s]; }
  bool isProtected(size_t s) const { return protected_[s] != 0; }

  std::array<double, 3> origin() const {
    std::array<double, 3> low{at(0)[0], at(0)[1], at(0)[2]};
    for (size_t s = 1; s < size(); ++s)
      for (int r = 0; r < 3; ++r) low[r] = std::min(low[r], at(s)[r]);
    return low;
  }
  double extent() const {
    double largest = 0.0;
    for (int r = 0; r < 3; ++r) {
      double low = at(0)[r], high = at(0)[r];
      for (size_t s = 1; s < size(); ++s) {
        low = std::min(low, at(s)[r]);
        high = std::max(high, at(s)[r]);
      }
      largest = std::max(largest, high - low);
    }
    return largest;
  }

 private:
  std::vector<int> ids_;
  std::vector<double> xyz_;
  std::vector<char> protected_;
};

// The grid cells: members of each cell in ascending ID order.
std::vector<std::vector<size_t>> cellsOf(const Surface &surface, double size, const std::array<double, 3> &origin) {
  struct Keyed {
    std::array<long long, 3> cell;
    size_t member;
  };
  std::vector<Keyed> keyed(surface.size());
  for (size_t s = 0; s < surface.size(); ++s) {
    keyed[s].member = s;
    for (int r = 0; r < 3; ++r) {
      const double step = std::floor((surface.at(s)[r] - origin[r]) / size);
      if (!(step < kMaxCells))
        throw std::invalid_argument("the cell size " + std::to_string(size) +
                                    " is too small to number the cells of this body");
      keyed[s].cell[r] = static_cast<long long>(step);
    }
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
    return a.cell != b.cell ? a.cell < b.cell : a.member < b.member;
  });
  std::vector<std::vector<size_t>> cells;
  for (size_t k = 0; k < keyed.size(); ++k) {
    if (k == 0 || keyed[k].cell != keyed[k - 1].cell) cells.emplace_back();
    cells.back().push_back(keyed[k].member);
  }
  return cells;
}

// How many nodes a clustering keeps: one per cell, or all interface nodes
// of a cell that has any.
size_t keptCount(const std::vector<std::vector<size_t>> &cells, const Surface &surface) {
  size_t count = 0;
  for (const auto &members : cells) {
    const size_t anchors =
        std::count_if(members.begin(), members.end(), [&](size_t m) { return surface.isProtected(m); });
    count += anchors > 0 ? anchors : 1;
  }
  return count;
}

// The member standing for each surface node.
std::vector<size_t> representatives(const std::vector<std::vector<size_t>> &cells, const Surface &surface) {
  std::vector<size_t> stand(surface.size());
  for (const auto &members : cells) {
    std::vector<size_t> anchors;
    for (size_t m : members)
      if (surface.isProtected(m)) anchors.push_back(m);
    if (anchors.empty()) {
      double centre[3] = {0.0, 0.0, 0.0};
      for (int r = 0; r < 3; ++r) {
        for (size_t m : members) centre[r] += surface.at(m)[r];
        centre[r] /= static_cast<double>(members.size());
      }
      size_t best = members[0];
      double bestDistance = distance2(surface.at(best), centre);
      for (size_t m : members) {
        const double d = distance2(surface.at(m), centre);
        if (d < bestDistance) best = m, bestDistance = d;  // ties: the smaller ID, met first
      }
      anchors.push_back(best);
    }
    for (size_t m : members) {
      if (surface.isProtected(m)) {
        stand[m] = m;
        continue;
      }
      size_t best = anchors[0];
      double bestDistance = distance2(surface.at(best), surface.at(m));
      for (size_t a : anchors) {
        const double d = distance2(surface.at(a), surface.at(m));
        if (d < bestDistance) best = a, bestDistance = d;
      }
      stand[m] = best;
    }
  }
  return stand;
}

// Bisection on the cell size (geometric mean of the bounds) towards `wanted`
// kept nodes; the size that came closest wins.
double sizeForCount(const Surface &surface, const std::array<double, 3> &origin, double extent, size_t wanted) {
  if (extent <= 0.0) return 1.0;
  double bestSize = extent, low = extent * 1e-6, high = extent;
  size_t bestMiss = 0;
  bool first = true;
  for (int step = 0; step < 40; ++step) {
    const double size = std::sqrt(low * high);
    const size_t count = keptCount(cellsOf(surface, size, origin), surface);
    const size_t miss = count > wanted ? count - wanted : wanted - count;
    if (first || miss < bestMiss) bestSize = size, bestMiss = miss, first = false;
    if (count > wanted) low = size;
    else if (count < wanted) high = size;
    else break;
  }
  return bestSize;
}

// The faces on the kept nodes, in order, without those that no longer span
// an area or repeat an earlier face (in any order of nodes).
std::vector<int> collapsedFaces(const Body &b, const Surface &surface, const std::vector<size_t> &stand,
                                const std::unordered_map<int, size_t> &surfaceIndex) {
  std::vector<int> faces;
  std::set<std::vector<int>> seen;
  for (size_t i = 0; i < b.faces.size();) {
    const int count = std::max(b.faces[i], 0);
    std::vector<int> mapped;
    for (int k = 1; k <= count && i + k < b.faces.size(); ++k) {
      const int kept = surface.id(stand[surfaceIndex.at(b.faces[i + k])]);
      if (std::find(mapped.begin(), mapped.end(), kept) == mapped.end()) mapped.push_back(kept);
    }
    i += 1 + count;
    if (mapped.size() < 3) continue;
    std::vector<int> key = mapped;
    std::sort(key.begin(), key.end());
    if (!seen.insert(std::move(key)).second) continue;
    faces.push_back(static_cast<int>(mapped.size()));
    faces.insert(faces.end(), mapped.begin(), mapped.end());
  }
  return faces;
}

// Cells the level chose that merge every face leave no surface to draw or to
// hold mode shapes: they are halved until faces survive (at most 30 times),
// then the size is bisected back between the two (12 steps).
constexpr int kSmallerCellTries = 30;
constexpr int kBisections = 12;

}  // namespace

CoarseSurface coarsenSurface(const Body &b, int level, double cellSize) {
  const std::unordered_set<int> isProtected(b.interfaceNodes.begin(), b.interfaceNodes.end());
  const Surface surface(b, isProtected);
  CoarseSurface out;
  if (surface.size() > 0) {
    std::unordered_map<int, size_t> surfaceIndex;
    for (size_t s = 0; s < surface.size(); ++s) surfaceIndex.emplace(surface.id(s), s);
    const std::array<double, 3> origin = surface.origin();
    const bool automatic = cellSize <= 0.0;
    if (automatic) {
      const double share = std::nearbyint(keepFraction(level) * static_cast<double>(surface.size()));
      const size_t wanted = std::max<size_t>(1, static_cast<size_t>(share));
      cellSize = sizeForCount(surface, origin, surface.extent(), wanted);
    }
    bool spansArea = false;  // faces of lines only have no area to keep
    for (size_t i = 0; i < b.faces.size() && !spansArea; i += 1 + std::max(b.faces[i], 0)) spansArea = b.faces[i] >= 3;
    auto facesFor = [&](double size) {
      return collapsedFaces(b, surface, representatives(cellsOf(surface, size, origin), surface), surfaceIndex);
    };
    out.faces = facesFor(cellSize);
    if (out.faces.empty() && spansArea && automatic) {
      // Halve until faces survive, then bisect back towards the largest such
      // cells, so the level keeps as few nodes as a surface allows.
      double bad = cellSize, good = cellSize;
      for (int attempt = 0; attempt < kSmallerCellTries && out.faces.empty(); ++attempt)
        out.faces = facesFor(good /= 2.0);
      for (int step = 0; step < kBisections && !out.faces.empty(); ++step) {
        const double size = std::sqrt(good * bad);
        std::vector<int> faces = facesFor(size);
        if (faces.empty()) {
          bad = size;
        } else {
          good = size;
          out.faces = std::move(faces);
        }
      }
      cellSize = good;
    }
    if (out.faces.empty() && spansArea)
      throw std::invalid_argument("cells of size " + std::to_string(cellSize) +
                                  " merge every face of the surface; ask a lighter level or smaller cells");
  }
  std::unordered_set<int> used(isProtected);
  for (size_t i = 0; i < out.faces.size();) {
    const int count = out.faces[i];
    used.insert(out.faces.begin() + static_cast<long>(i) + 1, out.faces.begin() + static_cast<long>(i) + 1 + count);
    i += 1 + count;
  }
  for (int id : b.nodes.ids())
    if (used.count(id)) out.nodes.push_back(id);
  return out;
}

}  // namespace qvb::coarsening
