#include "structural_expansion.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <unordered_map>

#include "errors.h"
#include "message_number.h"
#include "vector3.h"

namespace qvb::ccx2qvb {
namespace {

// Element normals (shells) or tangents (beams) at one node may differ by at
// most this much: the solver averages them below 20 degrees and joins the
// elements through a rigid knot above; we stay clear of its threshold.
constexpr double kMaxAngleDegrees = 15;
constexpr double kPi = 3.14159265358979323846;

// A beam's section points, in the solver's order, as multiples of its width
// (1-direction) and height (2-direction): corners, then side midpoints.
constexpr double kSectionPoint[8][2] = {{-0.5, 0.5}, {-0.5, -0.5}, {0.5, -0.5}, {0.5, 0.5},
                                        {-0.5, 0.0}, {0.0, -0.5},  {0.5, 0.0},  {0.0, 0.5}};

// Derivatives of a shell's shape functions with respect to its two natural
// coordinates at its own node `at`: dn[2 * a + k].
void shellDerivatives(const ElementType &type, int at, double *dn) {
  static const double kQuad[8][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  static const double kTriangle[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0, 0.5}};
  if (type.cornerCount == 4) {
    const double x = kQuad[at][0], y = kQuad[at][1];
    for (int a = 0; a < type.nodeCount; ++a) {
      const double xa = kQuad[a][0], ya = kQuad[a][1];
      double *d = &dn[2 * a];
      if (type.nodeCount == 4) {
        d[0] = 0.25 * xa * (1 + y * ya), d[1] = 0.25 * ya * (1 + x * xa);
      } else if (a < 4) {
        d[0] = 0.25 * xa * (1 + y * ya) * (2 * x * xa + y * ya);
        d[1] = 0.25 * ya * (1 + x * xa) * (x * xa + 2 * y * ya);
      } else if (xa == 0) {
        d[0] = -x * (1 + y * ya), d[1] = 0.5 * ya * (1 - x * x);
      } else {
        d[0] = 0.5 * xa * (1 - y * y), d[1] = -y * (1 + x * xa);
      }
    }
    return;
  }
  const double r = kTriangle[at][0], s = kTriangle[at][1], l = 1 - r - s;
  if (type.nodeCount == 3) {
    const double d[6] = {-1, -1, 1, 0, 0, 1};
    std::copy(d, d + 6, dn);
    return;
  }
  const double d[12] = {-(4 * l - 1), -(4 * l - 1), 4 * r - 1, 0,     0,      4 * s - 1,
                        4 * (l - r),  -4 * r,       4 * s,     4 * r, -4 * s, 4 * (l - s)};
  std::copy(d, d + 12, dn);
}

// The unit normal (shells) or tangent (beams) of element e at its node `at`.
void direction(const Model &model, size_t e, int at, double *out) {
  const ElementType &type = *model.elementTypes[e];
  const int *nodes = &model.connectivity[static_cast<size_t>(model.elementStart[e])];
  double d1[3] = {0, 0, 0}, d2[3] = {0, 0, 0};
  if (type.kind == ElementKind::kShell) {
    double dn[16];
    shellDerivatives(type, at, dn);
    for (int a = 0; a < type.nodeCount; ++a)
      for (int c = 0; c < 3; ++c) {
        d1[c] += dn[2 * a] * model.position(nodes[a])[c];
        d2[c] += dn[2 * a + 1] * model.position(nodes[a])[c];
      }
    cross(d1, d2, out);
  } else {
    // Beam nodes lie at -1, 0, 1 (end, middle, end), or -1, 1.
    const double x = at == 0 ? -1.0 : at == 1 && type.nodeCount == 3 ? 0.0 : 1.0;
    const double quadratic[3] = {x - 0.5, -2 * x, x + 0.5}, linear[2] = {-0.5, 0.5};
    const double *dn = type.nodeCount == 3 ? quadratic : linear;
    for (int c = 0; c < 3; ++c) out[c] = 0.0;
    for (int a = 0; a < type.nodeCount; ++a)
      for (int c = 0; c < 3; ++c) out[c] += dn[a] * model.position(nodes[a])[c];
  }
  const double length = norm(out);
  if (!(length > 0))
    throw DeckError("element " + std::to_string(model.elementIds[e]) + " (" + type.name +
                    ") is degenerate: it has no " + (type.kind == ElementKind::kShell ? "normal" : "tangent") +
                    " at its node " + std::to_string(nodes[at]));
  for (int c = 0; c < 3; ++c) out[c] /= length;
}

// What one original node expands by: its averaged unit direction (normal or
// tangent), its section, the first element that set them.
struct NodeFrame {
  double sum[3] = {0, 0, 0};
  double first[3] = {0, 0, 0};
  int section = -1;
  size_t element = 0;
  bool beam = false;
};

class Expansion {
 public:
  explicit Expansion(Model *model) : model_(*model) {}

  void run() {
    collectFrames();
    numberNewNodes();
    rebuildElements();
    for (const PointMass &m : model_.pointMasses)
      if (frames_.count(m.node) != 0) held_.insert(m.node);
    removeOriginalNodes();
    remapNodeLists();
    holdPointMasses();
  }

 private:
  const StructuralSection &sectionOf(size_t e) const {
    return model_.structuralSections[static_cast<size_t>(model_.elementStructuralSection[e])];
  }

  [[noreturn]] void fail(size_t e, const std::string &why) const {
    throw DeckError(sectionOf(e).where.text() + ": " + why);
  }

  void collectFrames() {
    std::vector<char> solidNode(model_.nodeIds.size(), 0);
    for (size_t e = 0; e < model_.elementIds.size(); ++e) {
      const ElementType &type = *model_.elementTypes[e];
      const int *nodes = &model_.connectivity[static_cast<size_t>(model_.elementStart[e])];
      for (int a = 0; a < type.nodeCount; ++a) {
        if (type.kind == ElementKind::kSolid) {
          solidNode[static_cast<size_t>(model_.nodeIndex.at(nodes[a]))] = 1;
          continue;
        }
        double d[3];
        direction(model_, e, a, d);
        NodeFrame &frame = frames_[nodes[a]];
        const bool beam = type.kind == ElementKind::kBeam;
        if (frame.section < 0) {
          frame.section = model_.elementStructuralSection[e];
          frame.element = e;
          frame.beam = beam;
          std::copy(d, d + 3, frame.first);
        } else {
          checkSameFrame(frame, e, nodes[a], d, beam);
        }
        for (int c = 0; c < 3; ++c) frame.sum[c] += d[c];
      }
    }
    for (const auto &[id, frame] : frames_)
      if (solidNode[static_cast<size_t>(model_.nodeIndex.at(id))])
        fail(frame.element, "node " + std::to_string(id) + " joins a " + (frame.beam ? "beam" : "shell") +
                                " element to a solid one: the solver ties such a node to the expanded layers by "
                                "equations of its own, which are not carried (tie the parts with *TIE instead)");
  }

  void checkSameFrame(const NodeFrame &frame, size_t e, int node, const double *d, bool beam) const {
    // Named only on failure: most nodes are shared, and almost none fail.
    auto here = [&] {
      return "node " + std::to_string(node) + " of elements " + std::to_string(model_.elementIds[frame.element]) +
             " and " + std::to_string(model_.elementIds[e]);
    };
    if (frame.beam != beam)
      fail(e, here() + " joins a shell to a beam: the solver joins them through a rigid knot, which is not carried");
    const StructuralSection &a = model_.structuralSections[static_cast<size_t>(frame.section)], &b = sectionOf(e);
    if (a.thickness != b.thickness || a.width != b.width || a.height != b.height ||
        !std::equal(a.direction, a.direction + 3, b.direction))
      fail(e, here() +
                  ": the sections differ there (the solver joins such elements through a rigid knot, which is "
                  "not carried)");
    const double cosine = frame.first[0] * d[0] + frame.first[1] * d[1] + frame.first[2] * d[2];
    const double angle = std::acos(std::max(-1.0, std::min(1.0, beam ? std::fabs(cosine) : cosine))) * 180 / kPi;
    if (angle > kMaxAngleDegrees)
      fail(e, here() + ": their " + (beam ? "tangents" : "normals") + " differ by " + messageNumber(angle, 3) +
                  " degrees (a kink" + (beam ? "" : ", or elements numbered the other way round") +
                  "); the solver joins such elements through a rigid knot, which is not carried");
    if (beam && cosine < 0) fail(e, here() + " run the other way round: number the beam's elements in one direction");
  }

  // The solver's numbering: from the highest ID on, a block per original
  // node in increasing ID, 3 for a shell node (bottom, middle, top) or 8 for
  // a beam node (its section points).
  void numberNewNodes() {
    next_ = model_.highestNodeId() + 1;
    bool anyBeam = false;
    for (const auto &[id, frame] : frames_) anyBeam = anyBeam || frame.beam;
    stride_ = anyBeam ? 8 : 3;
    if (static_cast<int64_t>(next_) + static_cast<int64_t>(stride_) * static_cast<int64_t>(frames_.size()) > INT32_MAX)
      throw DeckError("the shells' and beams' expanded nodes would need IDs beyond 2^31 - 1 (the highest node ID is " +
                      std::to_string(next_ - 1) + ")");
    int rank = 0;
    for (auto &[id, frame] : frames_) {
      first_[id] = next_ + stride_ * rank++;
      const double length = norm(frame.sum);
      for (int c = 0; c < 3; ++c) frame.sum[c] /= length;
    }
  }

  // The ID of layer (shell) or section point (beam) k of an original node,
  // made on first use.
  int newNode(int original, int k) {
    const int id = first_.at(original) + k;
    if (model_.nodeIndex.count(id) != 0) return id;
    const NodeFrame &frame = frames_.at(original);
    const StructuralSection &section = model_.structuralSections[static_cast<size_t>(frame.section)];
    const double *x = model_.position(original);
    double at[3];
    if (!frame.beam) {
      for (int c = 0; c < 3; ++c) at[c] = x[c] + (k - 1) * 0.5 * section.thickness * frame.sum[c];
    } else {
      double n1[3], n2[3];
      beamAxes(frame, section, n1, n2);
      for (int c = 0; c < 3; ++c)
        at[c] = x[c] + kSectionPoint[k][0] * section.width * n1[c] + kSectionPoint[k][1] * section.height * n2[c];
    }
    model_.nodeIndex.emplace(id, static_cast<int32_t>(model_.nodeIds.size()));
    model_.nodeIds.push_back(id);
    model_.coordinates.insert(model_.coordinates.end(), at, at + 3);
    replacement_[original].push_back(id);
    return id;
  }

  // The section's 1-direction made normal to the tangent, and the
  // 2-direction completing them: tangent x 1-direction.
  void beamAxes(const NodeFrame &frame, const StructuralSection &section, double *n1, double *n2) const {
    const double *t = frame.sum;
    const double along = section.direction[0] * t[0] + section.direction[1] * t[1] + section.direction[2] * t[2];
    for (int c = 0; c < 3; ++c) n1[c] = section.direction[c] - along * t[c];
    const double length = norm(n1);
    if (!(length > 1e-6 * norm(section.direction)))
      throw DeckError(section.where.text() + ": the beam section's 1-direction lies along the beam");
    for (int c = 0; c < 3; ++c) n1[c] /= length;
    cross(t, n1, n2);
  }

  std::vector<int> solidNodes(size_t e) {
    const ElementType &type = *model_.elementTypes[e];
    const int *n = &model_.connectivity[static_cast<size_t>(model_.elementStart[e])];
    std::vector<int> out;
    auto add = [&](int original, int k) { out.push_back(newNode(original, k)); };
    if (type.kind == ElementKind::kShell) {
      for (int layer : {0, 2})
        for (int a = 0; a < type.cornerCount; ++a) add(n[a], layer);
      if (type.quadratic()) {
        for (int layer : {0, 2})
          for (int a = type.cornerCount; a < type.nodeCount; ++a) add(n[a], layer);
        for (int a = 0; a < type.cornerCount; ++a) add(n[a], 1);
      }
      return out;
    }
    const int e1 = n[0], e2 = type.nodeCount == 3 ? n[2] : n[1];
    for (auto [node, k] : {std::pair{e1, 0}, {e2, 0}, {e2, 1}, {e1, 1}, {e1, 3}, {e2, 3}, {e2, 2}, {e1, 2}})
      add(node, k);
    if (type.nodeCount == 3) {
      const int m = n[1];
      for (auto [node, k] : {std::pair{m, 0},
                             {e2, 4},
                             {m, 1},
                             {e1, 4},
                             {m, 3},
                             {e2, 6},
                             {m, 2},
                             {e1, 6},
                             {e1, 7},
                             {e2, 7},
                             {e2, 5},
                             {e1, 5}})
        add(node, k);
    }
    return out;
  }

  void rebuildElements() {
    std::vector<int> connectivity;
    std::vector<int64_t> start{0};
    for (size_t e = 0; e < model_.elementIds.size(); ++e) {
      const ElementType &type = *model_.elementTypes[e];
      if (type.kind == ElementKind::kSolid) {
        connectivity.insert(connectivity.end(), model_.connectivity.begin() + model_.elementStart[e],
                            model_.connectivity.begin() + model_.elementStart[e + 1]);
      } else {
        const std::vector<int> nodes = solidNodes(e);
        connectivity.insert(connectivity.end(), nodes.begin(), nodes.end());
        model_.elementTypes[e] = findElementType(type.solid);
        expanded_.push_back(model_.elementIds[e]);
      }
      start.push_back(static_cast<int64_t>(connectivity.size()));
    }
    std::sort(expanded_.begin(), expanded_.end());
    model_.connectivity = std::move(connectivity);
    model_.elementStart = std::move(start);
    std::fill(model_.elementStructuralSection.begin(), model_.elementStructuralSection.end(), -1);
  }

  // A point mass on a shell node: the solver keeps the node and holds it at
  // the mean of the outer layers, u = (u_bottom + u_top) / 2 per direction.
  void holdPointMasses() {
    for (const PointMass &m : model_.pointMasses) {
      if (held_.count(m.node) == 0) continue;
      if (frames_.at(m.node).beam) throw DeckError(m.where.text() + ": a point mass on a beam node is not carried");
      const int top = first_.at(m.node) + 2, bottom = first_.at(m.node);
      for (int d = 1; d <= 3; ++d)
        model_.equations.push_back({{{top, d, 1.0}, {bottom, d, 1.0}, {m.node, d, -2.0}}, m.where});
    }
  }

  void removeOriginalNodes() {
    std::vector<int> ids;
    std::vector<double> coordinates;
    for (size_t a = 0; a < model_.nodeIds.size(); ++a) {
      if (frames_.count(model_.nodeIds[a]) != 0 && held_.count(model_.nodeIds[a]) == 0) continue;
      ids.push_back(model_.nodeIds[a]);
      coordinates.insert(coordinates.end(), &model_.coordinates[3 * a], &model_.coordinates[3 * a] + 3);
    }
    model_.nodeIds = std::move(ids);
    model_.coordinates = std::move(coordinates);
    model_.nodeIndex.clear();
    for (size_t a = 0; a < model_.nodeIds.size(); ++a)
      model_.nodeIndex.emplace(model_.nodeIds[a], static_cast<int32_t>(a));
  }

  std::vector<int> remapped(const std::vector<int> &nodes) const {
    std::vector<int> out;
    for (int id : nodes) {
      auto it = replacement_.find(id);
      if (it == replacement_.end()) {
        if (frames_.count(id) == 0) out.push_back(id);  // nodes no element uses stay as they were
        continue;
      }
      out.insert(out.end(), it->second.begin(), it->second.end());
    }
    return out;
  }

  [[noreturn]] void refuseConstraint(const SourceLine &where, const char *what, int node) const {
    throw DeckError(where.text() + ": " + what + " names node " + std::to_string(node) +
                    " of a shell or beam element: the solver would hold it through the mean of the expanded "
                    "layers, which is not carried (an interface, -i, ties the element's whole thickness)");
  }

  void remapNodeLists() {
    for (auto &[name, nodes] : model_.nodeSets) nodes = remapped(nodes);
    for (auto &[id, nodes] : model_.skippedElements) nodes = remapped(nodes);  // element sets as interfaces
    for (auto &[name, surface] : model_.surfaces) {
      surface.nodes = remapped(surface.nodes);
      for (const auto &[element, face] : surface.faces)
        if (std::binary_search(expanded_.begin(), expanded_.end(), element))
          throw DeckError(surface.where.text() + ": surface " + name + " holds a face of element " +
                          std::to_string(element) + ", a shell or beam: its faces are not carried");
    }
    for (const Equation &eq : model_.equations)
      for (const EquationTerm &term : eq.terms)
        if (frames_.count(term.node) != 0) refuseConstraint(eq.where, "*EQUATION", term.node);
    for (const RigidBody &body : model_.rigidBodies)
      for (int node : body.nodes)
        if (frames_.count(node) != 0) refuseConstraint(body.where, "*RIGID BODY", node);
    for (const Spring &spring : model_.springs)
      for (int node : spring.nodes)
        if (frames_.count(node) != 0)
          throw DeckError(spring.where.text() + ": spring element " + std::to_string(spring.element) + " on node " +
                          std::to_string(node) + " of a shell or beam element is not carried");
  }

  Model &model_;
  std::map<int, NodeFrame> frames_;                        // by original node ID, in increasing order
  std::map<int, int> first_;                               // an original node's first new ID
  std::unordered_map<int, std::vector<int>> replacement_;  // its new nodes, as made
  std::vector<int> expanded_;                              // the expanded elements' IDs, sorted
  std::set<int> held_;                                     // original nodes kept for their point masses
  int next_ = 0, stride_ = 3;
};

}  // namespace

void expandStructuralElements(Model *model) {
  bool any = false;
  for (const ElementType *type : model->elementTypes) any = any || type->kind != ElementKind::kSolid;
  if (!any) return;
  Expansion(model).run();
}

}  // namespace qvb::ccx2qvb
