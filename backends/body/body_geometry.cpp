// Rigid motions and reflections of a body, its free edges and the removal of
// internal faces.
#include <algorithm>
#include <map>
#include <set>

#include "body.h"

namespace qvb::body {
namespace {

struct Frame {
  const double *R;  // row-major 3x3
  const double *t;
  double det;
};

void rotate(const double *R, const double *v, double *out) {
  double x = v[0], y = v[1], z = v[2];
  for (int r = 0; r < 3; ++r) out[r] = R[3 * r] * x + R[3 * r + 1] * y + R[3 * r + 2] * z;
}

// out = R A R' for a row-major 3x3 A (in place allowed).
void congruence(const double *R, double *A) {
  double tmp[9] = {}, res[9] = {};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) tmp[3 * i + j] += R[3 * i + k] * A[3 * k + j];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) res[3 * i + j] += tmp[3 * i + k] * R[3 * j + k];
  std::copy(res, res + 9, A);
}

// Symmetric tensor stored as normal (xx yy zz) and shear (xy yz zx) parts.
void rotateTensor(const double *R, double *six) {
  double A[9] = {six[0], six[3], six[5], six[3], six[1], six[4], six[5], six[4], six[2]};
  congruence(R, A);
  six[0] = A[0]; six[1] = A[4]; six[2] = A[8]; six[3] = A[1]; six[4] = A[5]; six[5] = A[2];
}

// Six inertia components xx yy zz xy xz yz.
void rotateInertia(const double *R, double *six) {
  double A[9] = {six[0], six[3], six[4], six[3], six[1], six[5], six[4], six[5], six[2]};
  congruence(R, A);
  six[0] = A[0]; six[1] = A[4]; six[2] = A[8]; six[3] = A[1]; six[4] = A[2]; six[5] = A[5];
}

void transformKind(ModeKindData &kind, ResultKind which, const Frame &f) {
  auto apply = [&](std::vector<double> &values) {
    for (size_t p = 0; p + 6 <= values.size(); p += 6) {
      double *v = &values[p];
      if (which == kShape) {
        rotate(f.R, v, v);
        rotate(f.R, v + 3, v + 3);  // rotations are axial vectors
        for (int c = 3; c < 6; ++c) v[c] *= f.det;
      } else {
        rotateTensor(f.R, v);
      }
    }
  };
  for (auto &mode : kind.modes) apply(mode.mutableValues());
  apply(kind.initial.mutableValues());
}

void cross(const double *a, const double *b, double *out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

double dot(const double *a, const double *b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A point: x' = R x + t.
void movePoint(const Frame &f, double *x) {
  rotate(f.R, x, x);
  for (int r = 0; r < 3; ++r) x[r] += f.t[r];
}

// What the invariants' translation terms need from before the motion (stored
// or, when absent, computed from the positions that are about to move).
struct Moments {
  double i1;
  std::array<double, 3> i2;
  std::vector<double> i3;  // component-major, 3 x modes
  int modes;
};

// The stored invariants, from their definitions (docs/backend.md) with
// x' = R x + t, phi' = R phi, psi' = det R (R psi), J' = R J R':
//   I2' = R I2 + I1 t                      I3' = R I3
//   I4' = det R (R I4) + t x (R I3)        since (R a) x (R b) = det R R (a x b)
//   I5' = det R (R I5)                     I9' = R I9 R'
//   I7' = R I7 R' + (2 t.(R I2) + I1 |t|^2) 1 - (R I2) t' - t (R I2)' - I1 t t'
//   I8' = R I8 R' + (R I3) t' - (t.(R I3)) 1
// (I7 and I8 by expanding |x'|^2 1 - x' x' and phi' x' - (x'.phi') 1).
void moveInvariants(Invariants &inv, const Frame &f, const Moments &before) {
  const double *R = f.R, *t = f.t;
  double ri2[3];
  rotate(R, before.i2.data(), ri2);
  if (inv.has[2])
    for (int r = 0; r < 3; ++r) inv.i2[r] = ri2[r] + before.i1 * t[r];
  if (inv.has[7]) {
    congruence(R, inv.i7.data());
    const double tt = dot(t, t), tri2 = dot(t, ri2);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        inv.i7[3 * r + c] +=
            (r == c ? 2.0 * tri2 + before.i1 * tt : 0.0) - ri2[r] * t[c] - t[r] * ri2[c] - before.i1 * t[r] * t[c];
  }
  const int modes = before.modes;
  for (int j = 0; j < modes; ++j) {
    double ri3[3], a[3] = {before.i3[j], before.i3[modes + j], before.i3[2 * modes + j]};
    rotate(R, a, ri3);
    if (inv.has[3] && j < inv.i3.size()) std::copy(ri3, ri3 + 3, inv.i3.at(j));
    if (inv.has[4] && j < inv.i4.size()) {
      double *v = inv.i4.at(j), shift[3];
      rotate(R, v, v);
      cross(t, ri3, shift);
      for (int r = 0; r < 3; ++r) v[r] = f.det * v[r] + shift[r];
    }
    if (inv.has[8] && j < inv.i8.size()) {
      double *m = inv.i8.at(j);
      congruence(R, m);
      const double tri3 = dot(t, ri3);
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[3 * r + c] += ri3[r] * t[c] - (r == c ? tri3 : 0.0);
    }
  }
  for (size_t k = 0; inv.has[5] && k + 3 <= inv.i5.values.size(); k += 3) {
    double *v = &inv.i5.values[k];
    rotate(R, v, v);
    for (int r = 0; r < 3; ++r) v[r] *= f.det;
  }
  for (size_t k = 0; inv.has[9] && k + 9 <= inv.i9.values.size(); k += 9) congruence(R, &inv.i9.values[k]);
}

// A reflection turns every face inside out; reversing the vertex order keeps
// the normals pointing outward.
void reverseFaces(std::vector<int> &faces) {
  for (size_t i = 0; i < faces.size();) {
    int count = std::max(faces[i], 0);
    if (i + 1 + count > faces.size()) break;
    std::reverse(faces.begin() + i + 1, faces.begin() + i + 1 + count);
    i += 1 + count;
  }
}

}  // namespace

// x' = R x + t applied to every geometric quantity: positions move, vectors
// and tensors turn, axial vectors (rotations) also change sign under a
// reflection (det R = -1), and the stored invariants follow from their
// definitions (moveInvariants).
void Body::transform(const double R[9], const double t[3]) {
  const double det = R[0] * (R[4] * R[8] - R[5] * R[7]) - R[1] * (R[3] * R[8] - R[5] * R[6]) +
                     R[2] * (R[3] * R[7] - R[4] * R[6]);
  const Frame f{R, t, det};
  const Moments before{invariant1(), invariant2(), invariant34(3), modeCount()};

  for (size_t p = 0; p + 3 <= coordinates.size(); p += 3) movePoint(f, &coordinates[p]);
  transformKind(kinds[kShape], kShape, f);
  transformKind(kinds[kStress], kStress, f);
  transformKind(kinds[kStrain], kStrain, f);
  for (size_t p = 0; p + 6 <= nodalInertia.size(); p += 6) rotateInertia(R, &nodalInertia[p]);
  if (global.present) {
    movePoint(f, global.centre.data());
    congruence(R, global.inertia.data());
  }
  moveInvariants(invariants, f, before);
  if (rotor.hasAxis) {
    movePoint(f, rotor.centre.data());
    rotate(R, rotor.direction.data(), rotor.direction.data());
  }
  if (det < 0.0) reverseFaces(faces);
  freeEdgesValid_ = false;
  forgetComputedInvariants();  // formed from the positions and shapes before the move
}

const std::vector<std::vector<int>> &Body::freeEdges() const {
  if (freeEdgesValid_) return freeEdges_;
  freeEdges_.clear();
  // Directed edges of every face in face order, and how often each undirected
  // edge occurs: an edge used by one face only lies on the boundary.
  std::vector<std::pair<int, int>> directed;
  std::map<std::pair<int, int>, int> uses;
  for (size_t i = 0; i < faces.size();) {
    int count = std::max(faces[i], 0);
    if (i + 1 + count > faces.size()) break;
    if (count >= 3)
      for (int k = 0; k < count; ++k) {
        int a = faces[i + 1 + k], b = faces[i + 1 + (k + 1) % count];
        directed.emplace_back(a, b);
        ++uses[{std::min(a, b), std::max(a, b)}];
      }
    i += 1 + count;
  }
  std::multimap<int, size_t> outgoing;
  std::vector<size_t> boundary;
  for (size_t e = 0; e < directed.size(); ++e) {
    auto [a, b] = directed[e];
    if (uses[{std::min(a, b), std::max(a, b)}] == 1) {
      outgoing.emplace(a, e);
      boundary.push_back(e);
    }
  }
  std::set<size_t> used;
  for (size_t start : boundary) {
    if (used.count(start)) continue;
    std::vector<int> loop;
    size_t edge = start;
    while (true) {
      used.insert(edge);
      loop.push_back(directed[edge].first);
      int next = directed[edge].second;
      if (next == directed[start].first) break;
      auto range = outgoing.equal_range(next);
      auto it = std::find_if(range.first, range.second, [&](const auto &kv) { return !used.count(kv.second); });
      if (it == range.second) {  // an open chain: end it at its last node
        loop.push_back(next);
        break;
      }
      edge = it->second;
    }
    freeEdges_.push_back(std::move(loop));
  }
  freeEdgesValid_ = true;
  return freeEdges_;
}

void Body::removeInternalGeometry() {
  std::map<std::vector<int>, int> occurrences;
  auto key = [&](size_t i) {
    std::vector<int> k(faces.begin() + i + 1, faces.begin() + i + 1 + std::max(faces[i], 0));
    std::sort(k.begin(), k.end());
    return k;
  };
  std::vector<size_t> starts;
  for (size_t i = 0; i < faces.size();) {
    int count = std::max(faces[i], 0);
    if (i + 1 + count > faces.size()) break;
    starts.push_back(i);
    ++occurrences[key(i)];
    i += 1 + count;
  }
  std::vector<int> kept;
  for (size_t i : starts)
    if (occurrences[key(i)] == 1) kept.insert(kept.end(), faces.begin() + i, faces.begin() + i + 1 + std::max(faces[i], 0));
  faces.swap(kept);
  elementTopology.clear();
  coarsened = 1;
  freeEdgesValid_ = false;
}

}  // namespace qvb::body
