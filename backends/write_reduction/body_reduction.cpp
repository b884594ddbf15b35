#include "body_reduction.h"

#include <algorithm>
#include <stdexcept>

namespace qvb::coarsening {
namespace {

using body::Body;

// Header comments hold at most this many characters.
constexpr size_t kCommentLength = 79;

// Node positions of the full body that the reduced body keeps.
class KeptNodes {
 public:
  KeptNodes(const Body &full, const std::vector<int> &ids) : full_(full), kept_(full.nodeCount(), 0) {
    for (int id : ids) {
      const int p = full.nodeIndex(id);
      if (p < 0) throw std::invalid_argument("node " + std::to_string(id) + " is not a node of the body");
      kept_[p] = 1;
    }
    for (int id : full.interfaceNodes) {
      const int p = full.nodeIndex(id);
      if (p >= 0) kept_[p] = 1;
    }
  }
  bool position(int p) const { return kept_[p] != 0; }
  // Whether data at this node ID stay. IDs that are no node of the body
  // (a monitor-point row not tied to a node) are not the coarsening's to drop.
  bool id(int nodeId) const {
    const int p = full_.nodeIndex(nodeId);
    return p < 0 || kept_[p] != 0;
  }

 private:
  const Body &full_;
  std::vector<char> kept_;
};

// Picks the rows listed in `rows` (each `width` values) out of `values`.
std::vector<double> pickRows(const double *values, const std::vector<int> &rows, size_t width) {
  std::vector<double> out;
  out.reserve(rows.size() * width);
  for (int r : rows) out.insert(out.end(), values + r * width, values + (r + 1) * width);
  return out;
}

void reduceNodes(const Body &full, const KeptNodes &kept, Body &r) {
  std::vector<int> positions;
  for (int p = 0; p < full.nodeCount(); ++p)
    if (kept.position(p)) {
      positions.push_back(p);
      r.nodes.append(full.nodes.ids()[p]);
    }
  r.coordinates = pickRows(full.coordinates.data(), positions, 3);
  if (!full.nodalMass.empty()) r.nodalMass = pickRows(full.nodalMass.data(), positions, 1);
  if (!full.nodalInertia.empty()) r.nodalInertia = pickRows(full.nodalInertia.data(), positions, 6);
}

void reduceModeValues(const Body &full, const KeptNodes &kept, Body &r) {
  for (int kind = 0; kind < 3; ++kind) {
    const body::ModeKindData &from = full.kinds[kind];
    body::ModeKindData &to = r.kinds[kind];
    to.doublePrecision = from.doublePrecision;
    std::vector<int> positions;
    for (int q = 0; q < from.nodes.size(); ++q) {
      const int id = from.nodes.ids()[q];
      if (full.nodeIndex(id) >= 0 && kept.id(id)) {
        positions.push_back(q);
        to.nodes.append(id);
      }
    }
    for (int m = 0; m < full.modeCount(); ++m)
      if (!from.modes[m].empty()) to.modes[m] = pickRows(from.modes[m].data(), positions, 6);
    if (!from.initial.empty()) to.initial = pickRows(from.initial.data(), positions, 6);
  }
}

// The invariants of the full body, each one stored: the stored blocks as
// they are, the rest as the full body computes them from all its nodes.
body::Invariants freezeInvariants(const Body &full) {
  body::Invariants inv = full.invariants;
  if (!full.canComputeInvariants()) return inv;
  const int modes = full.modeCount();
  if (!inv.has[1]) inv.i1 = full.invariant1();
  if (!inv.has[2]) inv.i2 = full.invariant2();
  for (int which : {3, 4}) {
    if (inv.has[which]) continue;
    body::ModeVector &target = which == 3 ? inv.i3 : inv.i4;
    target.values.assign(static_cast<size_t>(modes) * 3, 0.0);
    const std::vector<double> v = full.invariant34(which);  // component-major
    for (int j = 0; j < modes; ++j)
      for (int c = 0; c < 3; ++c) target.at(j)[c] = v[static_cast<size_t>(c) * modes + j];
  }
  if (!inv.has[5]) {
    inv.i5 = body::ModeMatrix{0, 3, {}};
    inv.i5.resize(modes);
    for (int j = 0; j < modes; ++j) {
      const std::vector<double> v = full.invariant5(j);  // 3 x modes
      for (int k = 0; k < modes; ++k)
        for (int c = 0; c < 3; ++c) inv.i5.cell(j, k)[c] = v[static_cast<size_t>(c) * modes + k];
    }
  }
  if (!inv.has[7]) inv.i7 = full.invariant7();
  if (!inv.has[8]) {
    inv.i8.values.assign(static_cast<size_t>(modes) * 9, 0.0);
    for (int j = 0; j < modes; ++j) {
      const std::array<double, 9> v = full.invariant8(j);
      std::copy(v.begin(), v.end(), inv.i8.at(j));
    }
  }
  if (!inv.has[9]) {
    inv.i9 = body::ModeMatrix{0, 9, {}};
    inv.i9.resize(modes);
    for (int j = 0; j < modes; ++j)
      for (int k = 0; k < modes; ++k) {
        const std::array<double, 9> v = full.invariant9(j, k);
        std::copy(v.begin(), v.end(), inv.i9.cell(j, k));
      }
  }
  for (int n : {1, 2, 3, 4, 5, 7, 8, 9}) inv.has[n] = true;
  return inv;
}

// Invariant 6 is the generalized mass; a body without that block computes
// it from its nodes, so the reduced body gets it stored. The eigenvalues and
// the stiffness diagonal, which would otherwise be read against a unit
// generalized mass, are stored as the full body gives them.
void freezeGeneralizedMass(const Body &full, Body &r) {
  if (!full.genMass.empty() || !full.canComputeInvariants() || full.modeCount() == 0) return;
  const int modes = full.modeCount();
  const std::vector<int> &numbers = full.modeNumbers();
  if (full.hasEigenvalues()) {
    if (r.eigenvalues.empty())
      for (int i = 0; i < modes; ++i) r.eigenvalues.push_back(full.eigenvalue(i));
    if (r.genStiffness.empty())
      for (int i = 0; i < modes; ++i) r.genStiffness[{numbers[i], numbers[i]}] = full.generalizedStiffnessDiagonal(i);
  }
  const std::vector<double> i6 = full.invariant6();
  for (int j = 0; j < modes; ++j)
    for (int k = j; k < modes; ++k) {
      const double v = i6[static_cast<size_t>(j) * modes + k];
      if (v != 0.0 || j == k) r.genMass[{numbers[j], numbers[k]}] = v;
    }
}

void reduceNodalLoads(const Body &full, const KeptNodes &kept, Body &r) {
  for (const body::NodalLoadCase &from : full.nodalLoads) {
    body::NodalLoadCase to;
    for (size_t k = 0; k < from.nodeIds.size(); ++k)
      if (kept.id(from.nodeIds[k])) {
        to.nodeIds.push_back(from.nodeIds[k]);
        to.coordinates.push_back(from.coordinates[k]);
        to.values.push_back(from.values[k]);
      }
    r.nodalLoads.push_back(std::move(to));  // an emptied case keeps its place among the cases
  }
}

void reduceMonitorPoints(const Body &full, const KeptNodes &kept, Body &r) {
  for (const body::MonitorPoint &from : full.monitorPoints) {
    if (from.rows() == 0) {
      r.monitorPoints.push_back(from);
      continue;
    }
    std::vector<int> rows;
    for (int row = 0; row < from.rows(); ++row)
      if (kept.id(from.nodeIds[row])) rows.push_back(row);
    if (rows.empty()) continue;  // a point on removed nodes only is gone with them
    body::MonitorPoint to = from;
    to.nodeIds.clear();
    for (int row : rows) to.nodeIds.push_back(from.nodeIds[row]);
    for (size_t kind = 0; kind < from.operators.size(); ++kind) {
      const std::vector<double> &op = from.operators[kind];
      if (op.empty()) continue;
      const size_t width = op.size() / from.nodeIds.size();
      to.operators[kind] = pickRows(op.data(), rows, width);
    }
    r.monitorPoints.push_back(std::move(to));
  }
}

}  // namespace

std::unique_ptr<Body> reduceBody(const Body &full, const std::vector<int> &keptNodes, const std::vector<int> &faces) {
  const KeptNodes kept(full, keptNodes);
  auto r = std::make_unique<Body>();
  // The mode list first: per-mode data set afterwards already has its size.
  r->setModeNumbers(full.modeNumbers());
  r->version = full.version;
  r->header = full.header;
  const std::string note = "coarsened from " + std::to_string(full.nodeCount()) + " nodes";
  std::string &comment = r->header.comment3;
  comment = comment.empty() || comment.rfind("coarsened from ", 0) == 0 ? note : note + "; " + comment;
  comment.resize(std::min<size_t>(comment.size(), kCommentLength));
  r->coarsened = 1;
  r->massNormalize = full.massNormalize;
  r->storedUnits = full.storedUnits;
  r->currentUnits = full.currentUnits;

  reduceNodes(full, kept, *r);
  reduceModeValues(full, kept, *r);
  r->faces = faces;
  r->interfaceNodes = full.interfaceNodes;

  r->eigenvalues = full.eigenvalues;
  r->genStiffness = full.genStiffness;
  r->genMass = full.genMass;
  r->genDamping = full.genDamping;
  freezeGeneralizedMass(full, *r);
  r->transformation = full.transformation;
  r->invariants = freezeInvariants(full);
  r->global = full.global;
  if (!r->global.present && full.canComputeInvariants()) {
    full.totalMassInertia(&r->global.mass, r->global.inertia.data(), r->global.centre.data());
    r->global.present = true;
  }

  r->hasPreload = full.hasPreload;
  r->preloadProcessed = full.preloadProcessed;
  r->preload = full.preload;
  r->modalLoads = full.modalLoads;
  reduceNodalLoads(full, kept, *r);
  reduceMonitorPoints(full, kept, *r);
  r->matrixOperators = full.matrixOperators;
  r->rotor = full.rotor;
  return r;
}

}  // namespace qvb::coarsening
