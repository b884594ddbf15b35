#include "shape_functions.h"

#include <stdexcept>
#include <string>

namespace qvb::ccx2qvb {
namespace {

const double kTetCorners[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
const double kHexCorners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                  {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
const double kWedgeCorners[6][3] = {{0, 0, -1}, {1, 0, -1}, {0, 1, -1}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}};

const double (*cornersOf(const ElementType &type))[3] {
  switch (type.cornerCount) {
    case 4:
      return kTetCorners;
    case 8:
      return kHexCorners;
    case 6:
      return kWedgeCorners;
  }
  throw std::logic_error(std::string("no shape functions for element type ") + type.name);
}

// Quadratic tetrahedron: corners L(2L - 1), midside nodes 4 La Lb, in the
// barycentric coordinates L = (1 - r - s - t, r, s, t).
void tetShape(const ElementType &type, const double *rst, double *n, double *dn) {
  static const double kDl[4][3] = {{-1, -1, -1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const double l[4] = {1 - rst[0] - rst[1] - rst[2], rst[0], rst[1], rst[2]};
  const bool quadratic = type.quadratic();
  for (int a = 0; a < 4; ++a) {
    n[a] = quadratic ? l[a] * (2 * l[a] - 1) : l[a];
    for (int k = 0; k < 3; ++k) dn[3 * a + k] = (quadratic ? 4 * l[a] - 1 : 1) * kDl[a][k];
  }
  if (!quadratic) return;
  for (size_t e = 0; e < type.edges.size(); ++e) {
    const int a = type.edges[e].first, b = type.edges[e].second, m = 4 + static_cast<int>(e);
    n[m] = 4 * l[a] * l[b];
    for (int k = 0; k < 3; ++k) dn[3 * m + k] = 4 * (kDl[a][k] * l[b] + l[a] * kDl[b][k]);
  }
}

// Wedge: triangle barycentric coordinates L = (1 - r - s, r, s) times the
// linear or quadratic functions of t. The serendipity corner function is
// L (1 + t tc) (2L + t tc - 2) / 2 with tc the corner's t.
void wedgeCorners(bool quadratic, const double *rst, double *n, double *dn) {
  static const double kDl[3][2] = {{-1, -1}, {1, 0}, {0, 1}};
  const double t = rst[2];
  for (int a = 0; a < 6; ++a) {
    const int i = a % 3;
    const double l = i == 0 ? 1 - rst[0] - rst[1] : rst[i - 1], tc = kWedgeCorners[a][2], g = 1 + t * tc;
    const double h = quadratic ? 2 * l + t * tc - 2 : 1;  // the linear element: L (1 + t tc) / 2
    n[a] = 0.5 * l * g * h;
    for (int k = 0; k < 2; ++k) dn[3 * a + k] = 0.5 * g * kDl[i][k] * (quadratic ? h + 2 * l : 1);
    dn[3 * a + 2] = 0.5 * l * tc * (quadratic ? h + g : 1);
  }
}

// Wedge midside nodes: L (1 - t^2) on the edges along t, 2 La Lb (1 + t tc)
// on the triangles' edges.
void wedgeMidsides(const ElementType &type, const double *rst, double *n, double *dn) {
  static const double kDl[3][2] = {{-1, -1}, {1, 0}, {0, 1}};
  const double l[3] = {1 - rst[0] - rst[1], rst[0], rst[1]}, t = rst[2];
  for (size_t e = 0; e < type.edges.size(); ++e) {
    const int i = type.edges[e].first % 3, j = type.edges[e].second % 3, m = 6 + static_cast<int>(e);
    if (i == j) {
      n[m] = l[i] * (1 - t * t);
      for (int k = 0; k < 2; ++k) dn[3 * m + k] = kDl[i][k] * (1 - t * t);
      dn[3 * m + 2] = -2 * l[i] * t;
    } else {
      const double tc = kWedgeCorners[type.edges[e].first][2], g = 1 + t * tc;
      n[m] = 2 * l[i] * l[j] * g;
      for (int k = 0; k < 2; ++k) dn[3 * m + k] = 2 * (kDl[i][k] * l[j] + l[i] * kDl[j][k]) * g;
      dn[3 * m + 2] = 2 * l[i] * l[j] * tc;
    }
  }
}

// A product of three factors f (derivatives df along their own coordinate).
void product3(const double *f, const double *df, double scale, double &n, double *dn) {
  n = scale * f[0] * f[1] * f[2];
  dn[0] = scale * df[0] * f[1] * f[2];
  dn[1] = scale * f[0] * df[1] * f[2];
  dn[2] = scale * f[0] * f[1] * df[2];
}

// Hexahedron corners: (1 + r rc)(1 + s sc)(1 + t tc) / 8, times
// (r rc + s sc + t tc - 2) in the serendipity element.
void hexCorners(bool quadratic, const double *rst, double *n, double *dn) {
  for (int a = 0; a < 8; ++a) {
    const double *c = kHexCorners[a];
    const double f[3] = {1 + rst[0] * c[0], 1 + rst[1] * c[1], 1 + rst[2] * c[2]};
    product3(f, c, 0.125, n[a], &dn[3 * a]);
    if (!quadratic) continue;
    const double q = rst[0] * c[0] + rst[1] * c[1] + rst[2] * c[2] - 2;
    for (int k = 0; k < 3; ++k) dn[3 * a + k] = dn[3 * a + k] * q + n[a] * c[k];
    n[a] *= q;
  }
}

// Hexahedron midside nodes: (1 - x^2) along the edge's own direction (where
// its natural coordinate is 0) times (1 + y yc) across, over 4.
void hexMidsides(const ElementType &type, const double *rst, double *n, double *dn) {
  for (size_t e = 0; e < type.edges.size(); ++e) {
    const int m = 8 + static_cast<int>(e);
    const std::array<double, 3> c = naturalNodePosition(type, m);
    double f[3], df[3];
    for (int k = 0; k < 3; ++k) {
      f[k] = c[k] == 0 ? 1 - rst[k] * rst[k] : 1 + rst[k] * c[k];
      df[k] = c[k] == 0 ? -2 * rst[k] : c[k];
    }
    product3(f, df, 0.25, n[m], &dn[3 * m]);
  }
}

}  // namespace

std::array<double, 3> naturalNodePosition(const ElementType &type, int a) {
  const double(*corners)[3] = cornersOf(type);
  if (a < type.cornerCount) return {corners[a][0], corners[a][1], corners[a][2]};
  const auto &edge = type.edges.at(static_cast<size_t>(a - type.cornerCount));
  const double *p = corners[edge.first], *q = corners[edge.second];
  return {(p[0] + q[0]) / 2, (p[1] + q[1]) / 2, (p[2] + q[2]) / 2};
}

void evaluateShapeFunctions(const ElementType &type, const double *rst, double *n, double *dn) {
  cornersOf(type);  // refuses a type without shape functions
  switch (type.cornerCount) {
    case 4:
      tetShape(type, rst, n, dn);
      break;
    case 8:
      hexCorners(type.quadratic(), rst, n, dn);
      if (type.quadratic()) hexMidsides(type, rst, n, dn);
      break;
    default:
      wedgeCorners(type.quadratic(), rst, n, dn);
      if (type.quadratic()) wedgeMidsides(type, rst, n, dn);
  }
}

}  // namespace qvb::ccx2qvb
