#include "exact_mass.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "errors.h"
#include "shape_functions.h"

namespace qvb::ccx2qvb {
namespace {

// Which rule is exact. The integrand rho x_i x_j det J is a polynomial in
// the natural coordinates; its degree follows from that of the geometry x:
// - tetrahedron: x of total degree p (1 or 2), det J of degree 3 (p - 1),
//   so 2p + 3 (p - 1): 2 for C3D4, 7 for C3D10;
// - hexahedron: x of degree 1 (C3D8) or at most 2 (serendipity C3D20) in
//   each coordinate; a derivative lowers its own coordinate by one, so det J
//   has degree 2 (5) per coordinate and the integrand 4 (9): Gauss-Legendre
//   with 3 (5) points per direction, exact to degree 5 (9);
// - wedge: C3D6 is P1(r, s) x P1(t), det J of degree 1 in (r, s) and 2 in
//   t, the integrand 3 and 4; C3D15 lies in P2(r, s) x P1(t) + P1(r, s) t^2,
//   det J has degree 4 in (r, s) and 5 in t, the integrand 8 and 9: a
//   triangle rule of degree 3 (9) times Gauss-Legendre with 3 (5) points.
// Simplices use Grundmann-Moeller rules (index s: exact to degree 2s + 1,
// all points inside, few points; mildly negative weights are harmless here).
struct Point {
  double rst[3];
  double weight;
};

// Gauss-Legendre on [-1, 1] with 3 or 5 points (closed forms).
std::vector<std::pair<double, double>> gaussLegendre(int count) {
  if (count == 3) return {{-std::sqrt(0.6), 5.0 / 9}, {0.0, 8.0 / 9}, {std::sqrt(0.6), 5.0 / 9}};
  const double a = std::sqrt(5 - 2 * std::sqrt(10.0 / 7)) / 3, b = std::sqrt(5 + 2 * std::sqrt(10.0 / 7)) / 3;
  const double wa = (322 + 13 * std::sqrt(70.0)) / 900, wb = (322 - 13 * std::sqrt(70.0)) / 900;
  return {{-b, wb}, {-a, wa}, {0.0, 128.0 / 225}, {a, wa}, {b, wb}};
}

// Every way to write total as an ordered sum of `parts` non-negative integers.
void compositions(int total, int parts, std::vector<int> &prefix, std::vector<std::vector<int>> &out) {
  if (parts == 1) {
    prefix.push_back(total);
    out.push_back(prefix);
    prefix.pop_back();
    return;
  }
  for (int first = 0; first <= total; ++first) {
    prefix.push_back(first);
    compositions(total - first, parts - 1, prefix, out);
    prefix.pop_back();
  }
}

// The Grundmann-Moeller rule of index s on the unit simplex of dimension dim
// (2 or 3): exact for polynomials of degree 2s + 1.
std::vector<Point> simplexRule(int dim, int s) {
  const int degree = 2 * s + 1;
  std::vector<Point> points;
  double factorial[16] = {1};
  for (int k = 1; k < 16; ++k) factorial[k] = factorial[k - 1] * k;
  for (int i = 0; i <= s; ++i) {
    const double denominator = degree + dim - 2 * i;
    const double weight = (i % 2 ? -1 : 1) * std::pow(2.0, -2 * s) * std::pow(denominator, degree) /
                          (factorial[i] * factorial[degree + dim - i]);
    std::vector<int> prefix;
    std::vector<std::vector<int>> betas;
    compositions(s - i, dim + 1, prefix, betas);
    for (const std::vector<int> &beta : betas) {
      Point p{{0, 0, 0}, weight};
      for (int k = 0; k < dim; ++k) p.rst[k] = (2 * beta[static_cast<size_t>(k) + 1] + 1) / denominator;
      points.push_back(p);
    }
  }
  return points;
}

std::vector<Point> hexRule(int count) {
  const auto g = gaussLegendre(count);
  std::vector<Point> points;
  for (const auto &a : g)
    for (const auto &b : g)
      for (const auto &c : g) points.push_back({{a.first, b.first, c.first}, a.second * b.second * c.second});
  return points;
}

std::vector<Point> wedgeRule(int triangleIndex, int lineCount) {
  std::vector<Point> points;
  for (const Point &tri : simplexRule(2, triangleIndex))
    for (const auto &g : gaussLegendre(lineCount))
      points.push_back({{tri.rst[0], tri.rst[1], g.first}, tri.weight * g.second});
  return points;
}

std::vector<Point> ruleFor(const ElementType &type) {
  const bool quadratic = type.quadratic();
  if (type.cornerCount == 4) return simplexRule(3, quadratic ? 3 : 1);
  if (type.cornerCount == 8) return hexRule(quadratic ? 5 : 3);
  return wedgeRule(quadratic ? 4 : 1, quadratic ? 5 : 3);
}

// A type's rule with its shape functions tabulated: per node a row of the
// values at every point, then d/dr, d/ds and d/dt at every point, so that
// an element's positions and Jacobians at all points are one pass of
// contiguous multiply-adds per node.
constexpr int kMaxPoints = 175;  // the 15-node wedge's
struct Table {
  const ElementType *type = nullptr;
  int nodes = 0;
  std::vector<double> weight;
  std::vector<double> rows;
};

Table tableFor(const ElementType &type) {
  const std::vector<Point> rule = ruleFor(type);
  const size_t points = rule.size(), nodes = static_cast<size_t>(type.nodeCount);
  if (points > kMaxPoints) throw std::logic_error("exactRigidMass: too many integration points");
  Table table{&type, type.nodeCount, std::vector<double>(points), std::vector<double>(4 * points * nodes)};
  double n[kMaxElementNodes], dn[3 * kMaxElementNodes];
  for (size_t p = 0; p < points; ++p) {
    table.weight[p] = rule[p].weight;
    evaluateShapeFunctions(type, rule[p].rst, n, dn);
    for (size_t a = 0; a < nodes; ++a) {
      double *row = &table.rows[4 * points * a];
      row[p] = n[a];
      for (size_t k = 0; k < 3; ++k) row[(k + 1) * points + p] = dn[3 * a + k];
    }
  }
  return table;
}

// The ten integrals of one element at unit density: 1, x, y, z, xx, xy, xz,
// yy, yz, zz. False when det J is not positive at a point.
bool integrateElement(const Table &table, const double (*x)[3], double *out) {
  const int points = static_cast<int>(table.weight.size()), width = 4 * points;
  // v[c]: coordinate c at every point, then its derivatives d/dr, d/ds, d/dt.
  double v[3][4 * kMaxPoints];
  for (double *vc : v) std::fill(vc, vc + width, 0.0);
  const double *row = table.rows.data();
  for (int a = 0; a < table.nodes; ++a, row += width) {
    const double x0 = x[a][0], x1 = x[a][1], x2 = x[a][2];
    for (int i = 0; i < width; ++i) {
      v[0][i] += x0 * row[i];
      v[1][i] += x1 * row[i];
      v[2][i] += x2 * row[i];
    }
  }
  double sum[10] = {};
  for (int p = 0; p < points; ++p) {
    const double px = v[0][p], py = v[1][p], pz = v[2][p];
    const double jx0 = v[0][points + p], jx1 = v[0][2 * points + p], jx2 = v[0][3 * points + p];
    const double jy0 = v[1][points + p], jy1 = v[1][2 * points + p], jy2 = v[1][3 * points + p];
    const double jz0 = v[2][points + p], jz1 = v[2][2 * points + p], jz2 = v[2][3 * points + p];
    const double det = jx0 * (jy1 * jz2 - jy2 * jz1) - jx1 * (jy0 * jz2 - jy2 * jz0) + jx2 * (jy0 * jz1 - jy1 * jz0);
    if (!(det > 0)) return false;
    const double w = table.weight[static_cast<size_t>(p)] * det, wx = w * px, wy = w * py, wz = w * pz;
    sum[0] += w, sum[1] += wx, sum[2] += wy, sum[3] += wz;
    sum[4] += wx * px, sum[5] += wx * py, sum[6] += wx * pz, sum[7] += wy * py, sum[8] += wy * pz, sum[9] += wz * pz;
  }
  std::copy(sum, sum + 10, out);
  return true;
}

// Compensated sums, so that 10^5 elements add up to full precision.
struct Sum {
  double total = 0, compensation = 0;
  void add(double v) {
    const double t = total + v;
    compensation += std::fabs(total) >= std::fabs(v) ? (total - t) + v : (v - t) + total;
    total = t;
  }
  double value() const { return total + compensation; }
};

const Table &tableOf(const ElementType *type, std::deque<Table> &tables) {
  for (const Table &t : tables)
    if (t.type == type) return t;
  tables.push_back(tableFor(*type));
  return tables.back();
}

// The element's node coordinates, in its node order.
void gatherNodes(const Model &model, size_t e, double (*x)[3]) {
  const int64_t begin = model.elementStart[e], end = model.elementStart[e + 1];
  if (end - begin != model.elementTypes[e]->nodeCount)
    throw std::logic_error("exactRigidMass: element " + std::to_string(model.elementIds[e]) +
                           " has not the node count of its type");
  for (int64_t k = begin; k < end; ++k) {
    const int id = model.connectivity[static_cast<size_t>(k)];
    const auto it = model.nodeIndex.find(id);
    if (it == model.nodeIndex.end())
      throw DeckError("element " + std::to_string(model.elementIds[e]) + " uses node " + std::to_string(id) +
                      ", which is not defined");
    for (int c = 0; c < 3; ++c) x[k - begin][c] = model.coordinates[3 * static_cast<size_t>(it->second) + c];
  }
}

}  // namespace

RigidMass exactRigidMass(const Model &model) {
  if (model.elementMaterial.size() != model.elementIds.size())
    throw std::logic_error("exactRigidMass: the model's elements have no materials");
  std::deque<Table> tables;  // one per type met; references stay valid as it grows
  Sum sums[10];
  double x[kMaxElementNodes][3], element[10];
  for (size_t e = 0; e < model.elementIds.size(); ++e) {
    const Table &table = tableOf(model.elementTypes[e], tables);
    gatherNodes(model, e, x);
    if (!integrateElement(table, x, element))
      throw DeckError("element " + std::to_string(model.elementIds[e]) + " (" + table.type->name +
                      ") is inverted or degenerate: its Jacobian determinant is not positive inside it");
    const double rho = model.materials[static_cast<size_t>(model.elementMaterial[e])].densityValue;
    for (int k = 0; k < 10; ++k) sums[k].add(rho * element[k]);
  }
  for (const PointMass &point : model.pointMasses) {  // exact as they stand: m, m x, m x x'
    const double *p = model.position(point.node);
    const double powers[10] = {1,           p[0],        p[1],        p[2],        p[0] * p[0],
                               p[0] * p[1], p[0] * p[2], p[1] * p[1], p[1] * p[2], p[2] * p[2]};
    for (int k = 0; k < 10; ++k) sums[k].add(point.mass * powers[k]);
  }
  RigidMass r;
  r.mass = sums[0].value();
  static const int kPair[6][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 2}};
  for (int c = 0; c < 3; ++c) r.firstMoment[c] = sums[1 + c].value();
  for (int k = 0; k < 6; ++k)
    r.secondMoment[3 * kPair[k][0] + kPair[k][1]] = r.secondMoment[3 * kPair[k][1] + kPair[k][0]] = sums[4 + k].value();
  return r;
}

}  // namespace qvb::ccx2qvb
