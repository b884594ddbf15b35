#include "tie_equations.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "face_projection.h"
#include "solver_number.h"

namespace qvb::ccx2qvb {
namespace {

// Shape functions this small are dropped: a node on a master edge or corner
// then names only the nodes that carry it.
constexpr double kNegligibleShape = 1e-12;

// A master face: its nodes in perimeter order and their bounding box.
struct MasterFace {
  int nodes[kMaxFaceNodes];
  int count = 0;
  double low[3], high[3];
};

class Ties {
 public:
  explicit Ties(Model &model) : model_(model) {
    for (size_t e = 0; e < model.elementIds.size(); ++e) elementIndex_[model.elementIds[e]] = e;
    for (const Equation &eq : model.equations)
      if (!eq.terms.empty()) dependent_.insert(eq.terms.front().node);
    for (const RigidBody &body : model.rigidBodies) dependent_.insert(body.nodes.begin(), body.nodes.end());
  }

  void add(const Tie &tie, std::vector<Equation> &equations);

 private:
  [[noreturn]] void refuse(const Tie &tie, const std::string &why) const {
    throw DeckError(tie.where.text() + ": *TIE " + tie.name + ": " + why);
  }
  const Surface &surface(const Tie &tie, const std::string &name) const;
  // The face's node IDs in perimeter order, refusing a face the model lacks.
  std::vector<int> faceNodes(const Tie &tie, const Surface &surface, std::pair<int, int> face) const;
  std::vector<int> slaveNodes(const Tie &tie, const Surface &surface) const;
  std::vector<MasterFace> masterFaces(const Tie &tie, const Surface &surface) const;
  const double *position(const Tie &tie, int node) const {
    auto found = model_.nodeIndex.find(node);
    if (found == model_.nodeIndex.end()) refuse(tie, "node " + std::to_string(node) + " is not defined");
    return &model_.coordinates[3 * static_cast<size_t>(found->second)];
  }

  Model &model_;
  std::unordered_map<int, size_t> elementIndex_;
  std::unordered_set<int> dependent_;
};

// Master faces by the cells of a uniform grid that their boxes (widened by
// the search distance) touch: a slave node looks only at its own cell.
class FaceGrid {
 public:
  FaceGrid(const std::vector<MasterFace> &faces, double reach) : faces_(faces), reach_(reach) {
    double mean = 0.0, largest = 0.0;
    for (const MasterFace &f : faces) {
      const double extent = std::max({f.high[0] - f.low[0], f.high[1] - f.low[1], f.high[2] - f.low[2]});
      mean += extent / static_cast<double>(faces.size());
      largest = std::max(largest, extent);
    }
    cell_ = std::max({mean + 2.0 * reach, largest / 4.0, std::numeric_limits<double>::min()});
    for (size_t f = 0; f < faces.size(); ++f) {
      int64_t low[3], high[3];
      for (int c = 0; c < 3; ++c) {
        low[c] = cellOf(faces[f].low[c] - reach);
        high[c] = cellOf(faces[f].high[c] + reach);
      }
      for (int64_t i = low[0]; i <= high[0]; ++i)
        for (int64_t j = low[1]; j <= high[1]; ++j)
          for (int64_t k = low[2]; k <= high[2]; ++k) cells_[key(i, j, k)].push_back(static_cast<int>(f));
    }
  }

  // Faces whose widened box holds the point.
  template <typename Visit>
  void near(const double *x, Visit visit) const {
    auto cell = cells_.find(key(cellOf(x[0]), cellOf(x[1]), cellOf(x[2])));
    if (cell == cells_.end()) return;
    for (int f : cell->second) {
      const MasterFace &face = faces_[static_cast<size_t>(f)];
      bool inside = true;
      for (int c = 0; c < 3; ++c) inside = inside && x[c] >= face.low[c] - reach_ && x[c] <= face.high[c] + reach_;
      if (inside) visit(face);
    }
  }

 private:
  int64_t cellOf(double v) const { return static_cast<int64_t>(std::floor(std::clamp(v / cell_, -1e6, 1e6))); }
  static int64_t key(int64_t i, int64_t j, int64_t k) {
    return ((i + (1 << 20)) << 42) | ((j + (1 << 20)) << 21) | (k + (1 << 20));
  }

  const std::vector<MasterFace> &faces_;
  double reach_, cell_ = 1.0;
  std::unordered_map<int64_t, std::vector<int>> cells_;
};

const Surface &Ties::surface(const Tie &tie, const std::string &name) const {
  auto found = model_.surfaces.find(name);
  if (found == model_.surfaces.end()) refuse(tie, "surface " + name + " does not exist");
  return found->second;
}

std::vector<int> Ties::faceNodes(const Tie &tie, const Surface &surface, std::pair<int, int> face) const {
  auto element = elementIndex_.find(face.first);
  if (element == elementIndex_.end())
    refuse(tie, "surface " + surface.name + " names element " + std::to_string(face.first) + ", which is not defined");
  const ElementType &type = *model_.elementTypes[element->second];
  if (face.second < 1 || face.second > static_cast<int>(type.faces.size()))
    refuse(tie, "surface " + surface.name + " names face S" + std::to_string(face.second) + " of element " +
                    std::to_string(face.first) + ", a " + type.name + " with faces S1 to S" +
                    std::to_string(type.faces.size()));
  std::vector<int> nodes;
  const int64_t first = model_.elementStart[element->second];
  for (int local : facePerimeter(type, face.second - 1))
    nodes.push_back(model_.connectivity[static_cast<size_t>(first + local)]);
  return nodes;
}

std::vector<int> Ties::slaveNodes(const Tie &tie, const Surface &surface) const {
  std::vector<int> nodes = surface.nodes;
  if (!surface.nodal)
    for (const auto &face : surface.faces) {
      const std::vector<int> more = faceNodes(tie, surface, face);
      nodes.insert(nodes.end(), more.begin(), more.end());
    }
  std::sort(nodes.begin(), nodes.end());
  nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
  for (int node : nodes) position(tie, node);  // refuses an undefined node
  return nodes;
}

std::vector<MasterFace> Ties::masterFaces(const Tie &tie, const Surface &surface) const {
  if (surface.nodal) refuse(tie, "the master surface " + surface.name + " is a node surface; it must be element faces");
  std::vector<MasterFace> faces;
  for (const auto &face : surface.faces) {
    MasterFace f;
    const std::vector<int> nodes = faceNodes(tie, surface, face);
    f.count = static_cast<int>(nodes.size());
    std::fill(f.low, f.low + 3, std::numeric_limits<double>::infinity());
    std::fill(f.high, f.high + 3, -std::numeric_limits<double>::infinity());
    for (int i = 0; i < f.count; ++i) {
      f.nodes[i] = nodes[static_cast<size_t>(i)];
      const double *x = position(tie, f.nodes[i]);
      for (int c = 0; c < 3; ++c) f.low[c] = std::min(f.low[c], x[c]), f.high[c] = std::max(f.high[c], x[c]);
    }
    faces.push_back(f);
  }
  if (faces.empty()) refuse(tie, "the master surface " + surface.name + " has no faces");
  return faces;
}

// The mean length of the faces' edges (corner to corner): the faces' size.
double meanEdge(const Model &model, const std::vector<MasterFace> &faces) {
  double sum = 0.0;
  long count = 0;
  for (const MasterFace &f : faces) {
    const int step = f.count > 4 ? 2 : 1, corners = f.count / step;
    for (int k = 0; k < corners; ++k) {
      const double *a = model.position(f.nodes[k * step]), *b = model.position(f.nodes[((k + 1) % corners) * step]);
      sum += std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
      ++count;
    }
  }
  return sum / static_cast<double>(count);
}

std::string shortNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", v);
  return text;
}

void Ties::add(const Tie &tie, std::vector<Equation> &equations) {
  const std::vector<int> slaves = slaveNodes(tie, surface(tie, tie.slave));
  const std::vector<MasterFace> faces = masterFaces(tie, surface(tie, tie.master));
  std::unordered_set<int> masterNodes;
  for (const MasterFace &f : faces) masterNodes.insert(f.nodes, f.nodes + f.count);
  const double size = meanEdge(model_, faces);
  // A given tolerance of zero still takes nodes on the surface up to rounding.
  const double tolerance =
      tie.positionTolerance >= 0.0 ? std::max(tie.positionTolerance, 1e-9 * size) : kDefaultTieTolerance * size;
  // Curved (second-order) faces may bulge past their nodes' box.
  const FaceGrid grid(faces, tolerance + 0.1 * size);
  long free = 0;
  int firstFree = 0;
  double nearestFree = std::numeric_limits<double>::infinity();
  for (int slave : slaves) {
    if (masterNodes.count(slave) != 0 || dependent_.count(slave) != 0) continue;
    double *x = &model_.coordinates[3 * static_cast<size_t>(model_.nodeIndex.at(slave))];
    FacePoint best;
    best.distance = std::numeric_limits<double>::infinity();
    const MasterFace *bestFace = nullptr;
    grid.near(x, [&](const MasterFace &face) {
      double corners[3 * kMaxFaceNodes];
      for (int i = 0; i < face.count; ++i) std::copy_n(model_.position(face.nodes[i]), 3, corners + 3 * i);
      const FacePoint p = nearestFacePoint(corners, face.count, x);
      if (p.distance < best.distance) best = p, bestFace = &face;
    });
    if (bestFace == nullptr || !(best.distance <= tolerance)) {
      if (free++ == 0) firstFree = slave;
      nearestFree = std::min(nearestFree, best.distance);
      continue;
    }
    // Weights as the solver reads them, summing to one.
    double sum = 0.0;
    for (int i = 0; i < bestFace->count; ++i)
      if (std::fabs(best.shape[i]) > kNegligibleShape) sum += best.shape[i];
    for (int i = 0; i < bestFace->count; ++i)
      best.shape[i] = std::fabs(best.shape[i]) > kNegligibleShape ? solverValue(best.shape[i] / sum) : 0.0;
    if (tie.adjust) {
      double moved[3] = {0.0, 0.0, 0.0};
      for (int i = 0; i < bestFace->count; ++i)
        for (int c = 0; c < 3; ++c) moved[c] += best.shape[i] * model_.position(bestFace->nodes[i])[c];
      for (int c = 0; c < 3; ++c) x[c] = solverValue(moved[c]);
    }
    for (int d = 1; d <= 3; ++d) {
      Equation eq;
      eq.where = tie.where;
      eq.terms.push_back({slave, d, 1.0});
      for (int i = 0; i < bestFace->count; ++i)
        if (best.shape[i] != 0.0) eq.terms.push_back({bestFace->nodes[i], d, -best.shape[i]});
      equations.push_back(std::move(eq));
    }
    dependent_.insert(slave);
  }
  if (free > 0)
    model_.warnings.push_back(tie.where.text() + ": *TIE " + tie.name + ": " + std::to_string(free) + " of " +
                              std::to_string(slaves.size()) + " slave nodes (the first node " +
                              std::to_string(firstFree) + ") lie farther than " + shortNumber(tolerance) +
                              " from the master surface " + tie.master + " and stay free" +
                              (std::isfinite(nearestFree) ? " (the nearest at " + shortNumber(nearestFree) + ")" : ""));
}

}  // namespace

std::vector<Equation> tieEquations(Model &model) {
  std::vector<Equation> equations;
  if (model.ties.empty()) return equations;  // spares the element map of a large model
  Ties ties(model);
  for (const Tie &tie : model.ties) ties.add(tie, equations);
  return equations;
}

}  // namespace qvb::ccx2qvb
