#include "mass_properties.h"

#include <algorithm>
#include <cmath>

#include "errors.h"

namespace qvb::ccx2qvb {
namespace {

// The axial vector of the antisymmetric part: for S = integral of u v',
// the integral of u x v.
void axial(const double *s, double *out) {
  out[0] = s[5] - s[7];
  out[1] = s[6] - s[2];
  out[2] = s[1] - s[3];
}

// Mass, centre, inertia and invariants 1, 2 and 7 from the exact integrals.
void setRigidProperties(const RigidMass &exact, MassProperties *p) {
  if (!(exact.mass > 0)) throw TranslationError("the model's total mass is not positive");
  p->mass = p->i1 = exact.mass;
  for (int c = 0; c < 3; ++c) {
    p->i2[c] = exact.firstMoment[c];
    p->centre[c] = exact.firstMoment[c] / exact.mass;
  }
  const double *s = exact.secondMoment;
  const double trace = s[0] + s[4] + s[8];
  const double cc = p->centre[0] * p->centre[0] + p->centre[1] * p->centre[1] + p->centre[2] * p->centre[2];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      p->i7[3 * r + c] = (r == c ? trace : 0.0) - s[3 * r + c];
      p->inertia[3 * r + c] = p->i7[3 * r + c] - exact.mass * ((r == c ? cc : 0.0) - p->centre[r] * p->centre[c]);
    }
}

// The point masses summed per node (model index).
std::vector<double> pointMassPerNode(const Model &model) {
  std::vector<double> point(model.nodeIds.size(), 0.0);
  for (const PointMass &m : model.pointMasses) point[static_cast<size_t>(model.nodeIndex.at(m.node))] += m.mass;
  return point;
}

// A point mass on a node that only constraints join to the part (a rigid
// body's reference node) is loose in the bare mesh, whose equations the
// solver then leaves it out of: its mass is added here, as the constrained
// model's matrix holds it. (On other nodes M holds it already.)
void addLoosePointMasses(const std::vector<double> &point, const std::vector<int32_t> &nodeOf, size_t width,
                         const std::vector<double> &field, std::vector<double> *weighted, std::vector<double> *rowSum,
                         std::vector<double> *diagonal) {
  std::vector<char> inMatrix(point.size(), 0);
  for (int32_t a : nodeOf) inMatrix[static_cast<size_t>(a)] = 1;
  for (size_t a = 0; a < point.size(); ++a) {
    if (inMatrix[a] || point[a] == 0.0) continue;
    for (size_t u = 0; u < width; ++u) (*weighted)[a * width + u] += point[a] * field[a * width + u];
    (*rowSum)[a] += point[a];
    (*diagonal)[a] += point[a];
  }
}

}  // namespace

MassProperties computeMassProperties(const Model &model, const RigidMass &exact, const SymmetricTriplets &mass,
                                     const std::vector<Dof> &dofs, const std::vector<double> &shapes, int modeCount) {
  const size_t nodes = model.nodeIds.size();
  const size_t nm = static_cast<size_t>(modeCount);
  if (dofs.size() != mass.order) throw TranslationError("mass matrix and equation map differ in size");
  // Equation -> model node index, direction.
  std::vector<int32_t> nodeOf(dofs.size());
  for (size_t p = 0; p < dofs.size(); ++p) {
    auto it = model.nodeIndex.find(dofs[p].node);
    if (it == model.nodeIndex.end())
      throw TranslationError("the mass matrix has node " + std::to_string(dofs[p].node) + ", not in the model");
    nodeOf[p] = it->second;
  }

  // Fields, node-major: position x, then the mode shapes; 3 values each.
  const size_t width = 3 * (nm + 1);
  std::vector<double> field(nodes * width, 0.0), weighted(nodes * width, 0.0);
  for (size_t a = 0; a < nodes; ++a) {
    double *f = &field[a * width];
    for (int c = 0; c < 3; ++c) f[c] = model.coordinates[3 * a + static_cast<size_t>(c)];
    for (size_t j = 0; j < nm; ++j)
      for (int c = 0; c < 3; ++c) f[3 * (j + 1) + static_cast<size_t>(c)] = shapes[(j * nodes + a) * 3 + static_cast<size_t>(c)];
  }

  // The scalar mass matrix m_ab is M's x-x block (isotropic density makes
  // the three direction blocks equal). Weighted fields W = m F, row sums
  // and the diagonal come out of one pass over the matrix.
  std::vector<double> rowSum(nodes, 0.0), diagonal(nodes, 0.0);
  double blockTotal[3] = {0, 0, 0};
  for (size_t k = 0; k < mass.value.size(); ++k) {
    const size_t p = mass.row[k], q = mass.col[k];
    const int dq = dofs[q].direction;
    if (dofs[p].direction != dq) continue;
    const double v = mass.value[k];
    const size_t a = static_cast<size_t>(nodeOf[p]), b = static_cast<size_t>(nodeOf[q]);
    blockTotal[dq - 1] += p == q ? v : 2 * v;
    if (dq != 1) continue;
    const double *fa = &field[a * width], *fb = &field[b * width];
    double *wa = &weighted[a * width], *wb = &weighted[b * width];
    for (size_t u = 0; u < width; ++u) wa[u] += v * fb[u];
    rowSum[a] += v;
    if (p != q) {
      for (size_t u = 0; u < width; ++u) wb[u] += v * fa[u];
      rowSum[b] += v;
    } else {
      diagonal[a] += v;
    }
  }
  const std::vector<double> point = pointMassPerNode(model);
  addLoosePointMasses(point, nodeOf, width, field, &weighted, &rowSum, &diagonal);
  const double scale = std::max(std::fabs(blockTotal[0]), 1e-300);
  if (std::fabs(blockTotal[1] - blockTotal[0]) > 1e-9 * scale || std::fabs(blockTotal[2] - blockTotal[0]) > 1e-9 * scale)
    throw TranslationError("the mass matrix is not the same in x, y and z (anisotropic or tied mass?)");

  // G = F' W: every integral of rho u_r v_c between two fields.
  std::vector<double> gram(width * width, 0.0);
  for (size_t a = 0; a < nodes; ++a) {
    const double *f = &field[a * width], *w = &weighted[a * width];
    for (size_t u = 0; u < width; ++u) {
      const double fu = f[u];
      if (fu == 0.0) continue;
      double *g = &gram[u * width];
      for (size_t v = 0; v < width; ++v) g[v] += fu * w[v];
    }
  }
  // S(s, t): the 3 x 3 block of fields s and t (0 = position, j + 1 = mode j).
  auto block = [&](size_t s, size_t t, double *out) {
    for (size_t r = 0; r < 3; ++r)
      for (size_t c = 0; c < 3; ++c) out[3 * r + c] = gram[(3 * s + r) * width + 3 * t + c];
  };

  MassProperties p;
  p.modeCount = modeCount;
  setRigidProperties(exact, &p);

  // HRZ: the solid elements' diagonal (M's less the point masses, which
  // it holds as they stand) scaled to their exact mass; then the point masses.
  double pointTotal = 0, diagonalSum = 0;
  for (size_t a = 0; a < nodes; ++a) {
    pointTotal += point[a];
    diagonal[a] = std::max(0.0, diagonal[a] - point[a]);  // a rounding below zero where only a point mass sits
    diagonalSum += diagonal[a];
  }
  p.nodalMass.resize(nodes);
  for (size_t a = 0; a < nodes; ++a) p.nodalMass[a] = diagonal[a] * (p.mass - pointTotal) / diagonalSum + point[a];

  p.i3.assign(3 * nm, 0.0);
  p.i4.assign(3 * nm, 0.0);
  p.i8.assign(9 * nm, 0.0);
  p.i5.assign(3 * nm * nm, 0.0);
  p.i6.assign(nm * nm, 0.0);
  p.i9.assign(9 * nm * nm, 0.0);
  double s[9];
  for (size_t j = 0; j < nm; ++j) {
    for (size_t a = 0; a < nodes; ++a)
      for (int c = 0; c < 3; ++c) p.i3[3 * j + static_cast<size_t>(c)] += rowSum[a] * field[a * width + 3 * (j + 1) + static_cast<size_t>(c)];
    block(0, j + 1, s);  // integral of x phi'
    axial(s, &p.i4[3 * j]);
    block(j + 1, 0, s);  // integral of phi x': skew(x) skew(phi) = phi x' - (x . phi) 1
    const double trace = s[0] + s[4] + s[8];
    for (int k = 0; k < 9; ++k) p.i8[9 * j + static_cast<size_t>(k)] = s[k] - (k % 4 == 0 ? trace : 0.0);
    for (size_t k = 0; k < nm; ++k) {
      block(j + 1, k + 1, s);  // integral of phi_j phi_k'
      axial(s, &p.i5[(j * nm + k) * 3]);
      p.i6[j * nm + k] = s[0] + s[4] + s[8];
      double t[9];
      block(k + 1, j + 1, t);  // skew(phi_j) skew(phi_k) = phi_k phi_j' - (phi_j . phi_k) 1
      for (int e = 0; e < 9; ++e) p.i9[(j * nm + k) * 9 + static_cast<size_t>(e)] = t[e] - (e % 4 == 0 ? p.i6[j * nm + k] : 0.0);
    }
  }
  return p;
}

}  // namespace qvb::ccx2qvb
