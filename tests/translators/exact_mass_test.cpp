// Exact rigid-body mass properties: regions of closed-form mass, moments and
// inertia, meshed with every element type (curved second-order elements
// included), turned and moved off the origin.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "errors.h"
#include "exact_mass.h"
#include "model.h"

namespace {

using qvb::ccx2qvb::DeckError;
using qvb::ccx2qvb::ElementType;
using qvb::ccx2qvb::exactRigidMass;
using qvb::ccx2qvb::findElementType;
using qvb::ccx2qvb::Model;
using qvb::ccx2qvb::RigidMass;

// A polynomial in x, y, z: coefficients by exponents.
using Poly = std::map<std::array<int, 3>, double>;

Poly term(double coefficient, int i, int j, int k) { return {{{i, j, k}, coefficient}}; }

// p plus terms, given by coefficient and exponents.
Poly plus(const Poly &p, std::initializer_list<std::pair<double, std::array<int, 3>>> terms) {
  Poly q = p;
  for (const auto &[c, e] : terms) q[e] += c;
  return q;
}

Poly sum(Poly a, const Poly &b, double scale = 1) {
  for (const auto &[e, c] : b) a[e] += scale * c;
  return a;
}

Poly product(const Poly &a, const Poly &b) {
  Poly c;
  for (const auto &[ea, ca] : a)
    for (const auto &[eb, cb] : b) c[{ea[0] + eb[0], ea[1] + eb[1], ea[2] + eb[2]}] += ca * cb;
  return c;
}

Poly derivative(const Poly &p, int k) {
  Poly d;
  for (const auto &[e, c] : p) {
    if (e[k] == 0) continue;
    std::array<int, 3> lowered = e;
    --lowered[k];
    d[lowered] += c * e[k];
  }
  return d;
}

double integral(const Poly &p, const double *lo, const double *hi) {
  double total = 0;
  for (const auto &[e, c] : p) {
    double t = c;
    for (int k = 0; k < 3; ++k) t *= (std::pow(hi[k], e[k] + 1) - std::pow(lo[k], e[k] + 1)) / (e[k] + 1);
    total += t;
  }
  return total;
}

double valueAt(const Poly &p, const double *x) {
  double v = 0;
  for (const auto &[e, c] : p) v += c * std::pow(x[0], e[0]) * std::pow(x[1], e[1]) * std::pow(x[2], e[2]);
  return v;
}

// The image of the box [lo, hi] under a polynomial map.
struct Body {
  double lo[3], hi[3];
  Poly map[3];
};

// Its mass properties at density rho: integrals over the box of 1, map_i
// and map_i map_j, times the map's Jacobian determinant.
RigidMass closedForm(const Body &b, double rho) {
  Poly d[3][3];
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 3; ++k) d[c][k] = derivative(b.map[c], k);
  auto minor = [&](int i, int j, int k, int l) {
    return sum(product(d[i][j], d[k][l]), product(d[i][l], d[k][j]), -1);
  };
  const Poly det = sum(sum(product(d[0][0], minor(1, 1, 2, 2)), product(d[0][1], minor(1, 0, 2, 2)), -1),
                       product(d[0][2], minor(1, 0, 2, 1)));
  RigidMass m;
  m.mass = rho * integral(det, b.lo, b.hi);
  for (int i = 0; i < 3; ++i) {
    m.firstMoment[i] = rho * integral(product(b.map[i], det), b.lo, b.hi);
    for (int j = 0; j < 3; ++j)
      m.secondMoment[3 * i + j] = rho * integral(product(product(b.map[i], b.map[j]), det), b.lo, b.hi);
  }
  return m;
}

// A rigid motion x -> R x + p, turned about an oblique axis.
struct Placement {
  double rotation[9];
  double shift[3];
};

Placement oblique() {
  const double axis[3] = {1 / std::sqrt(14.0), 2 / std::sqrt(14.0), 3 / std::sqrt(14.0)}, c = std::cos(0.7),
               s = std::sin(0.7);
  Placement p{{}, {0.7, -1.3, 2.1}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int k = 3 - i - j;  // the third index when i != j
      const double cross = i == j ? 0 : ((j - i + 3) % 3 == 1 ? -1 : 1) * axis[k];
      p.rotation[3 * i + j] = (i == j ? c : 0) + (1 - c) * axis[i] * axis[j] + s * cross;
    }
  return p;
}

void apply(const Placement &p, const double *x, double *out) {
  for (int i = 0; i < 3; ++i)
    out[i] = p.shift[i] + p.rotation[3 * i] * x[0] + p.rotation[3 * i + 1] * x[1] + p.rotation[3 * i + 2] * x[2];
}

// The moments of the moved body: f' = R f + m p, S' = R S R' + (R f) p' + p (R f)' + m p p'.
RigidMass moved(const RigidMass &m, const Placement &p) {
  RigidMass out;
  out.mass = m.mass;
  double rf[3];
  for (int i = 0; i < 3; ++i) {
    rf[i] = 0;
    for (int k = 0; k < 3; ++k) rf[i] += p.rotation[3 * i + k] * m.firstMoment[k];
    out.firstMoment[i] = rf[i] + m.mass * p.shift[i];
  }
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double rsr = 0;
      for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l) rsr += p.rotation[3 * i + k] * m.secondMoment[3 * k + l] * p.rotation[3 * j + l];
      out.secondMoment[3 * i + j] = rsr + rf[i] * p.shift[j] + p.shift[i] * rf[j] + m.mass * p.shift[i] * p.shift[j];
    }
  return out;
}

// Cell corners in the solver's hexahedron order, and how a cell splits.
const int kCell[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
const std::vector<std::vector<int>> kHexSplit = {{0, 1, 2, 3, 4, 5, 6, 7}};
const std::vector<std::vector<int>> kWedgeSplit = {{0, 1, 2, 4, 5, 6}, {0, 2, 3, 4, 6, 7}};
const std::vector<std::vector<int>> kTetSplit = {{0, 1, 2, 6}, {0, 2, 3, 6}, {0, 3, 7, 6},
                                                 {0, 7, 4, 6}, {0, 4, 5, 6}, {0, 5, 1, 6}};

// Appends one element of its own nodes, given in the box's coordinates:
// midside nodes in the middle there, then all through the body's map and
// the placement (so that second-order elements carry the map exactly when
// it lies in their shape functions' span).
void addElement(Model &model, const ElementType &type, std::vector<std::array<double, 3>> nodes, const Body &body,
                const Placement &place, int material) {
  for (const auto &edge : type.edges) {
    const auto &a = nodes[static_cast<size_t>(edge.first)], &b = nodes[static_cast<size_t>(edge.second)];
    nodes.push_back({(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2});
  }
  nodes.resize(static_cast<size_t>(type.nodeCount));
  for (const auto &n : nodes) {
    const double mapped[3] = {valueAt(body.map[0], n.data()), valueAt(body.map[1], n.data()),
                              valueAt(body.map[2], n.data())};
    const int id = static_cast<int>(model.nodeIds.size()) + 1;
    model.nodeIndex[id] = static_cast<int32_t>(model.nodeIds.size());
    model.nodeIds.push_back(id);
    model.coordinates.resize(model.coordinates.size() + 3);
    apply(place, mapped, &model.coordinates[model.coordinates.size() - 3]);
    model.connectivity.push_back(id);
  }
  model.elementIds.push_back(static_cast<int>(model.elementIds.size()) + 1);
  model.elementTypes.push_back(&type);
  model.elementStart.push_back(static_cast<int64_t>(model.connectivity.size()));
  model.elementMaterial.push_back(material);
}

// The body's box in 2 x 2 x 2 cells, each split into elements of the type.
void addBody(Model &model, const char *typeName, const Body &body, const Placement &place, int material) {
  const ElementType &type = *findElementType(typeName);
  const auto &split = type.cornerCount == 8 ? kHexSplit : type.cornerCount == 6 ? kWedgeSplit : kTetSplit;
  for (int cell = 0; cell < 8; ++cell)
    for (const std::vector<int> &element : split) {
      std::vector<std::array<double, 3>> corners;
      for (const int c : element) {
        std::array<double, 3> x;
        for (int k = 0; k < 3; ++k) x[k] = body.lo[k] + (body.hi[k] - body.lo[k]) * ((cell >> k & 1) + kCell[c][k]) / 2;
        corners.push_back(x);
      }
      addElement(model, type, corners, body, place, material);
    }
}

Model withDensities(std::vector<double> densities) {
  Model model;
  for (const double rho : densities) {
    model.materials.emplace_back();
    model.materials.back().densityValue = rho;
  }
  return model;
}

double largest(const double *v, int n) {
  double m = 0;
  for (int i = 0; i < n; ++i) m = std::max(m, std::fabs(v[i]));
  return m;
}

void expectSame(const RigidMass &got, const RigidMass &want) {
  const double f = largest(want.firstMoment, 3), s = largest(want.secondMoment, 9);
  EXPECT_NEAR(got.mass, want.mass, 1e-12 * want.mass);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got.firstMoment[i], want.firstMoment[i], 1e-12 * f) << "component " << i;
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(got.secondMoment[i], want.secondMoment[i], 1e-12 * s) << "component " << i;
}

// A box; the box twisted by products of coordinates that a first-order
// hexahedron and wedge carry (a Jacobian determinant that varies); bent by
// a quadratic map, whose Jacobian determinant is cubic (the full degree a
// curved tetrahedron reaches); the bent box with the cubic terms that a
// second-order hexahedron and wedge carry on top (the height grows with
// x^2 z, as under a parabolic lid).
Body boxMappedBy(const Poly &x, const Poly &y, const Poly &z) { return {{0.2, -0.3, 0.1}, {1.4, 0.5, 0.9}, {x, y, z}}; }
const Poly kX = term(1, 1, 0, 0), kY = term(1, 0, 1, 0), kZ = term(1, 0, 0, 1);
const Body kBox = boxMappedBy(kX, kY, kZ);
const Body kTwisted =
    boxMappedBy(plus(kX, {{0.1, {0, 1, 1}}}), plus(kY, {{0.15, {1, 0, 1}}}), plus(kZ, {{0.05, {1, 0, 1}}}));
const Body kBent = boxMappedBy(plus(kX, {{0.1, {0, 1, 1}}, {0.05, {0, 0, 2}}, {0.07, {2, 0, 0}}}),
                               plus(kY, {{0.1, {1, 0, 1}}, {0.08, {2, 0, 0}}, {0.06, {0, 2, 0}}}),
                               plus(kZ, {{0.3, {2, 0, 0}}, {0.1, {1, 1, 0}}, {-0.05, {0, 2, 0}}}));
const Body kLidded = boxMappedBy(plus(kBent.map[0], {{0.1, {1, 0, 2}}}), plus(kBent.map[1], {{0.1, {1, 1, 1}}}),
                                 plus(kBent.map[2], {{0.4, {2, 0, 1}}, {0.05, {0, 2, 1}}}));
TEST(ExactMass, MatchesClosedFormsForEveryElementTypeStraightAndCurved) {
  struct Case {
    const char *type;
    const Body &body;
    const char *what;
  };
  const Case cases[] = {{"C3D4", kBox, "box"},          {"C3D10", kBox, "box"},        {"C3D8", kBox, "box"},
                        {"C3D8R", kBox, "box"},         {"C3D20", kBox, "box"},        {"C3D20R", kBox, "box"},
                        {"C3D6", kBox, "box"},          {"C3D15", kBox, "box"},        {"C3D8", kTwisted, "twisted"},
                        {"C3D8R", kTwisted, "twisted"}, {"C3D6", kTwisted, "twisted"}, {"C3D10", kBent, "bent"},
                        {"C3D20", kLidded, "lidded"},   {"C3D20R", kLidded, "lidded"}, {"C3D15", kLidded, "lidded"}};
  const Placement place = oblique();
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.what);
    Model model = withDensities({7850});
    addBody(model, c.type, c.body, place, 0);
    expectSame(exactRigidMass(model), moved(closedForm(c.body, 7850), place));
  }
}

TEST(ExactMass, AddsElementsOfMixedTypesWithTheirOwnDensities) {
  const Placement place = oblique();
  Model model = withDensities({7850, 2700, 1000});
  addBody(model, "C3D20R", kLidded, place, 2);
  addBody(model, "C3D4", kBox, place, 1);
  addBody(model, "C3D10", kBent, place, 0);
  RigidMass want = moved(closedForm(kLidded, 1000), place);
  for (const RigidMass &part : {moved(closedForm(kBox, 2700), place), moved(closedForm(kBent, 7850), place)}) {
    want.mass += part.mass;
    for (int i = 0; i < 3; ++i) want.firstMoment[i] += part.firstMoment[i];
    for (int i = 0; i < 9; ++i) want.secondMoment[i] += part.secondMoment[i];
  }
  expectSame(exactRigidMass(model), want);
}

TEST(ExactMass, RefusesInvertedElementsByTheirId) {
  const Placement identity{{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}};
  auto errorOf = [](const Model &model) -> std::string {
    try {
      exactRigidMass(model);
    } catch (const DeckError &e) {
      return e.what();
    }
    return "(no error)";
  };
  // Top and bottom swapped: a mirrored brick after eight good ones.
  Model mirrored = withDensities({1});
  addBody(mirrored, "C3D8R", kBox, identity, 0);
  addElement(mirrored, *findElementType("C3D8R"),
             {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}, {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, kBox, identity,
             0);
  EXPECT_NE(errorOf(mirrored).find("element 9 (C3D8R) is inverted"), std::string::npos) << errorOf(mirrored);
  // Positive volume, but the midside node of edge 1-2 dragged past corner 3
  // folds the element over near corner 1.
  Model folded = withDensities({1});
  addElement(folded, *findElementType("C3D10"), {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, kBox, identity, 0);
  folded.coordinates[3 * 4 + 1] = 1.5;
  EXPECT_NE(errorOf(folded).find("element 1 (C3D10) is inverted"), std::string::npos) << errorOf(folded);
}

}  // namespace
