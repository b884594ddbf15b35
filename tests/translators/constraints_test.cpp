// Constraints of the model: ties turned into equations, the pieces a model
// falls into, refused constraints, and the dependent degrees of freedom
// rebuilt from the independent ones; then one run of the solver showing that
// a tie written into its model joins two blocks exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis_decks.h"
#include "bar_deck.h"
#include "constraint_checks.h"
#include "dependent_dofs.h"
#include "eig_file.h"
#include "face_projection.h"
#include "interfaces.h"
#include "matrix_files.h"
#include "pieces.h"
#include "shift_invert_lanczos.h"
#include "solver_run.h"
#include "support/test_support.h"
#include "tie_equations.h"
#include "tied_matrices.h"

namespace {

using namespace qvb::ccx2qvb;

// Model building by hand (the tests do not depend on the deck reader).
int addNode(Model &m, int id, double x, double y, double z) {
  m.nodeIndex[id] = static_cast<int32_t>(m.nodeIds.size());
  m.nodeIds.push_back(id);
  m.coordinates.insert(m.coordinates.end(), {x, y, z});
  return id;
}

// A box of n[0] x n[1] x n[2] bricks (C3D8 or C3D20) from low to high, node
// IDs from firstNode on a grid, element IDs from firstElement; the grid
// coordinates pass through shape(x, y, z) (default: unchanged).
struct Block {
  Block(std::array<int, 3> count, std::array<double, 3> from, std::array<double, 3> to, int first)
      : n(count), low(from), high(to), firstNode(first), firstElement(first) {}
  std::array<int, 3> n;
  std::array<double, 3> low, high;
  int firstNode, firstElement;
  const char *type = "C3D8";
  std::function<void(double *)> shape;
};

// The face numbers on each side of a brick with the corner order below.
constexpr int kFaceXLow = 6, kFaceXHigh = 4;

void addBlock(Model &m, const Block &b) {
  if (m.materials.empty()) {
    Material steel;
    steel.name = "STEEL";
    steel.youngsModulus = 2.1e11, steel.poissonRatio = 0.3, steel.densityValue = 7850.0;
    m.materials.push_back(steel);
  }
  const ElementType *type = findElementType(b.type);
  const int q = type->quadratic() ? 2 : 1;  // grid points per brick side
  const int g[3] = {q * b.n[0] + 1, q * b.n[1] + 1, q * b.n[2] + 1};
  auto idOf = [&](int i, int j, int k) { return b.firstNode + i + g[0] * (j + g[1] * k); };
  std::vector<int> used;
  for (int k = 0; k < g[2]; ++k)
    for (int j = 0; j < g[1]; ++j)
      for (int i = 0; i < g[0]; ++i) {
        double x[3];
        const int at[3] = {i, j, k};
        for (int c = 0; c < 3; ++c) x[c] = b.low[c] + (b.high[c] - b.low[c]) * at[c] / (g[c] - 1);
        if (b.shape) b.shape(x);
        addNode(m, idOf(i, j, k), x[0], x[1], x[2]);
      }
  static const int kCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                    {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  int element = b.firstElement;
  for (int k = 0; k < b.n[2]; ++k)
    for (int j = 0; j < b.n[1]; ++j)
      for (int i = 0; i < b.n[0]; ++i) {
        for (const auto &c : kCorner) m.connectivity.push_back(idOf(q * (i + c[0]), q * (j + c[1]), q * (k + c[2])));
        if (type->quadratic())
          for (const auto &[a, e] : type->edges)  // midside nodes: the middle of each edge on the grid
            m.connectivity.push_back(idOf(2 * i + kCorner[a][0] + kCorner[e][0], 2 * j + kCorner[a][1] + kCorner[e][1],
                                          2 * k + kCorner[a][2] + kCorner[e][2]));
        m.elementIds.push_back(element++);
        m.elementTypes.push_back(type);
        m.elementMaterial.push_back(0);
        m.elementStart.push_back(static_cast<int64_t>(m.connectivity.size()));
      }
}

// The block's faces on one side (face number side) as a surface.
void addSideSurface(Model &m, const std::string &name, const Block &b, int side) {
  Surface s;
  s.name = name;
  const int first = side == kFaceXLow ? 0 : b.n[0] - 1;
  for (int k = 0; k < b.n[2]; ++k)
    for (int j = 0; j < b.n[1]; ++j) s.faces.push_back({b.firstElement + first + b.n[0] * (j + b.n[1] * k), side});
  m.surfaces[name] = s;
}

Tie tieOf(const std::string &slave, const std::string &master, double tolerance = -1.0, bool adjust = true) {
  Tie t;
  t.name = "JOIN";
  t.slave = slave, t.master = master;
  t.positionTolerance = tolerance, t.adjust = adjust;
  t.where = {"assembly.inp", 42};
  return t;
}

// An equation's residual for the field u, relative to its coefficients
// times the field's magnitude.
double relativeResidual(const Equation &eq, const std::function<double(int node, int d)> &u, double magnitude) {
  double sum = 0.0, scale = 0.0;
  for (const EquationTerm &t : eq.terms) {
    sum += t.coefficient * u(t.node, t.direction);
    scale += std::fabs(t.coefficient) * magnitude;
  }
  return std::fabs(sum) / scale;
}

std::string refusal(const std::function<void()> &run) {
  try {
    run();
  } catch (const DeckError &e) {
    return e.what();
  }
  return "(accepted)";
}

TEST(FaceProjection, FindsTheFootOfANormalOnCurvedFacesOfEveryKind) {
  // Each kind of face, bent out of its plane, with its nodes at the natural
  // coordinates below: every shape function is one at its own node, and a
  // point off the face along the normal at (r, s) projects back to (r, s).
  struct Kind {
    int count;
    std::vector<std::pair<double, double>> natural;
  };
  const std::vector<Kind> kinds = {
      {3, {{0, 0}, {1, 0}, {0, 1}}},
      {6, {{0, 0}, {0.5, 0}, {1, 0}, {0.5, 0.5}, {0, 1}, {0, 0.5}}},
      {4, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}},
      {8, {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}}},
  };
  for (const Kind &kind : kinds) {
    SCOPED_TRACE(kind.count);
    double nodes[3 * kMaxFaceNodes];
    for (int i = 0; i < kind.count; ++i) {
      const auto [r, s] = kind.natural[static_cast<size_t>(i)];
      nodes[3 * i] = 2.0 * r + 0.3 * s, nodes[3 * i + 1] = 1.5 * s - 0.2 * r;
      nodes[3 * i + 2] = kind.count == 4 ? 0.2 * r * s : 0.1 * r * r - 0.15 * s * s + 0.05 * r * s;
      double shape[kMaxFaceNodes];
      faceShape(kind.count, r, s, shape, nullptr, nullptr);
      for (int k = 0; k < kind.count; ++k) EXPECT_EQ(shape[k], k == i ? 1.0 : 0.0);
    }
    const double r0 = kind.count % 3 == 0 ? 0.2 : -0.3, s0 = kind.count % 3 == 0 ? 0.5 : 0.4;
    double shape[kMaxFaceNodes], dr[kMaxFaceNodes], ds[kMaxFaceNodes];
    faceShape(kind.count, r0, s0, shape, dr, ds);
    double x[3] = {0, 0, 0}, xr[3] = {0, 0, 0}, xs[3] = {0, 0, 0};
    for (int i = 0; i < kind.count; ++i)
      for (int c = 0; c < 3; ++c)
        x[c] += shape[i] * nodes[3 * i + c], xr[c] += dr[i] * nodes[3 * i + c], xs[c] += ds[i] * nodes[3 * i + c];
    double normal[3] = {xr[1] * xs[2] - xr[2] * xs[1], xr[2] * xs[0] - xr[0] * xs[2], xr[0] * xs[1] - xr[1] * xs[0]};
    const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    const double point[3] = {x[0] + 0.01 * normal[0] / length, x[1] + 0.01 * normal[1] / length,
                             x[2] + 0.01 * normal[2] / length};
    const FacePoint p = nearestFacePoint(nodes, kind.count, point);
    EXPECT_NEAR(p.r, r0, 1e-12);
    EXPECT_NEAR(p.s, s0, 1e-12);
    EXPECT_NEAR(p.distance, 0.01, 1e-14);
    // Beyond an edge: the nearest point stays on the face.
    const double outside[3] = {-5.0, -5.0, 0.0};
    const FacePoint q = nearestFacePoint(nodes, kind.count, outside);
    double sum = 0.0;
    for (int i = 0; i < kind.count; ++i) sum += q.shape[i];
    EXPECT_NEAR(sum, 1.0, 1e-15);
    EXPECT_TRUE(kind.count % 3 == 0 ? q.r >= 0 && q.s >= 0 && q.r + q.s <= 1.0
                                    : std::fabs(q.r) <= 1.0 && std::fabs(q.s) <= 1.0);
  }
}

// Block A (x in [0, 1]) and block B beside it, B's side x = 1 tied to A's.
struct Assembly {
  Model model;
  Block a{{3, 3, 2}, {0, 0, 0}, {1, 0.6, 0.4}, 1};
  Block b{{4, 3, 3}, {1, 0, 0}, {2, 0.6, 0.4}, 1001};
  void build() {
    addBlock(model, a);
    addBlock(model, b);
    addSideSurface(model, "MASTER", a, kFaceXHigh);
    addSideSurface(model, "SLAVE", b, kFaceXLow);
  }
};

TEST(TieEquations, NonConformingMeshesCarryLinearFieldsAndSlaveNodesMoveOntoTheMaster) {
  // A second-order master side bent to x = 1 + 0.02 y z (its faces carry
  // that exactly), a first-order slave side off it by up to 0.003, with a
  // row of slave nodes beyond the master's edge.
  Assembly s;
  s.a.type = "C3D20";
  s.a.shape = [](double *x) { x[0] += 0.02 * x[0] * x[1] * x[2]; };
  s.b.high[1] = 0.9;
  s.b.shape = [](double *x) { x[0] += 0.003 * (2.0 - x[0]) * x[1]; };
  s.build();
  s.model.ties.push_back(tieOf("SLAVE", "MASTER", 0.01));
  const std::vector<double> before = s.model.coordinates;
  const std::vector<Equation> equations = tieEquations(s.model);

  // Slave nodes at y = 0.9 lie 0.3 beyond the master and stay free: one warning.
  ASSERT_EQ(s.model.warnings.size(), 1u);
  EXPECT_NE(s.model.warnings[0].find("assembly.inp:42: *TIE JOIN: 4 of 16 slave nodes (the first node 1016)"),
            std::string::npos)
      << s.model.warnings[0];
  ASSERT_EQ(equations.size(), 3u * 12u);
  for (const Equation &eq : equations) {
    const double *x = s.model.position(eq.terms[0].node);
    EXPECT_NEAR(x[0], 1.0 + 0.02 * x[1] * x[2], 1e-14) << "node " << eq.terms[0].node << " is not on the master";
    EXPECT_EQ(eq.where.line, 42);
    EXPECT_GE(eq.terms.size(), 2u);
  }
  // Only tied nodes moved, and by no more than their gap.
  for (size_t a = 0; a < s.model.nodeIds.size(); ++a)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(s.model.coordinates[3 * a + c], before[3 * a + c], 0.0035);

  // Any linear field at the moved nodes satisfies every equation.
  const double grad[3][3] = {{0.3, -1.2, 0.7}, {2.0, 0.1, -0.4}, {-0.6, 0.9, 1.5}}, shift[3] = {1.0, -2.0, 0.5};
  auto field = [&](int node, int d) {
    const double *x = s.model.position(node);
    return shift[d - 1] + grad[d - 1][0] * x[0] + grad[d - 1][1] * x[1] + grad[d - 1][2] * x[2];
  };
  for (const Equation &eq : equations) EXPECT_LE(relativeResidual(eq, field, 4.0), 1e-15);

  // Without ADJUST nothing moves and translations still hold exactly.
  Assembly fixed;
  fixed.b.shape = s.b.shape;
  fixed.build();
  fixed.model.ties.push_back(tieOf("SLAVE", "MASTER", 0.01, false));
  const std::vector<double> original = fixed.model.coordinates;
  const std::vector<Equation> unmoved = tieEquations(fixed.model);
  EXPECT_EQ(unmoved.size(), 3u * 16u);
  EXPECT_EQ(fixed.model.coordinates, original);
  for (const Equation &eq : unmoved) {
    double sum = 0.0;
    for (const EquationTerm &t : eq.terms) sum += t.coefficient;
    EXPECT_NEAR(sum, 0.0, 1e-15);
  }
}

TEST(TieEquations, ConformingMeshesTieCoincidentNodesAndSkipDependentOnes) {
  Assembly s;
  s.b.n[0] = 3, s.b.n[1] = 3, s.b.n[2] = 2;
  s.build();
  // A slave node already dependent in a deck equation is left to it; one
  // shared with the master is joined already.
  s.model.equations.push_back({{{1001, 2, 1.0}, {1005, 2, -1.0}}, {"assembly.inp", 7}});
  s.model.surfaces["SLAVE"].faces.push_back({3, kFaceXHigh});  // an element of A: its nodes are master nodes
  s.model.ties.push_back(tieOf("SLAVE", "MASTER"));
  const std::vector<Equation> equations = tieEquations(s.model);
  EXPECT_TRUE(s.model.warnings.empty());
  ASSERT_EQ(equations.size(), 3u * 11u);
  for (const Equation &eq : equations) {
    ASSERT_EQ(eq.terms.size(), 2u);  // the coincident master node alone
    EXPECT_NE(eq.terms[0].node, 1001);
    EXPECT_EQ(eq.terms[1].coefficient, -1.0);
    const double *x = s.model.position(eq.terms[0].node), *y = s.model.position(eq.terms[1].node);
    EXPECT_TRUE(x[0] == y[0] && x[1] == y[1] && x[2] == y[2]);
  }
  s.model.ties[0].master = "NOWHERE";
  EXPECT_EQ(refusal([&] { tieEquations(s.model); }), "assembly.inp:42: *TIE JOIN: surface NOWHERE does not exist");
  s.model.ties[0].master = "SLAVE";
  s.model.surfaces["SLAVE"].faces.push_back({1001, 7});
  EXPECT_EQ(refusal([&] { tieEquations(s.model); }),
            "assembly.inp:42: *TIE JOIN: surface SLAVE names face S7 of element 1001, a C3D8 with faces S1 to S6");
}

TEST(TieEquations, MasterFacesAreNumberedAsTheSolverNumbersThem) {
  // A C3D10 tet and a C3D6 wedge; a node at the centre of each face, tied to
  // that face alone, names the face's nodes (with the tet's midside nodes).
  Model m;
  const double tet[10][3] = {{0, 0, 0},     {1, 0, 0},   {0, 1, 0},   {0, 0, 1},     {0.5, 0, 0},
                             {0.5, 0.5, 0}, {0, 0.5, 0}, {0, 0, 0.5}, {0.5, 0, 0.5}, {0, 0.5, 0.5}};
  const double wedge[6][3] = {{3, 0, 0}, {4, 0, 0}, {3, 1, 0}, {3, 0, 1}, {4, 0, 1}, {3, 1, 1}};
  for (int i = 0; i < 10; ++i) addNode(m, i + 1, tet[i][0], tet[i][1], tet[i][2]);
  for (int i = 0; i < 6; ++i) addNode(m, 21 + i, wedge[i][0], wedge[i][1], wedge[i][2]);
  for (const char *type : {"C3D10", "C3D6"}) {
    m.elementIds.push_back(static_cast<int>(m.elementIds.size()) + 1);
    m.elementTypes.push_back(findElementType(type));
    m.elementMaterial.push_back(0);
  }
  m.connectivity = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 21, 22, 23, 24, 25, 26};
  m.elementStart = {0, 10, 16};
  const std::vector<std::pair<std::pair<int, int>, std::vector<int>>> faces = {
      {{1, 1}, {1, 2, 3, 5, 6, 7}},  {{1, 2}, {1, 4, 2, 8, 9, 5}}, {{1, 3}, {2, 4, 3, 9, 10, 6}},
      {{1, 4}, {3, 4, 1, 10, 8, 7}}, {{2, 1}, {21, 22, 23}},       {{2, 2}, {24, 25, 26}},
      {{2, 3}, {21, 22, 25, 24}},    {{2, 4}, {22, 23, 26, 25}},   {{2, 5}, {23, 21, 24, 26}}};
  for (size_t f = 0; f < faces.size(); ++f) {
    const auto &[face, nodes] = faces[f];
    const size_t corners = nodes.size() == 6 ? 3 : nodes.size();
    double centre[3] = {0, 0, 0};
    for (size_t i = 0; i < corners; ++i)
      for (int c = 0; c < 3; ++c) centre[c] += m.position(nodes[i])[c] / static_cast<double>(corners);
    const std::string name = std::to_string(f);
    m.surfaces["M" + name] = Surface{"M" + name, false, {face}, {}, {}};
    m.surfaces["S" + name] =
        Surface{"S" + name, true, {}, {addNode(m, 101 + static_cast<int>(f), centre[0], centre[1], centre[2])}, {}};
    m.ties.push_back(tieOf("S" + name, "M" + name));
  }
  const std::vector<Equation> equations = tieEquations(m);
  ASSERT_EQ(equations.size(), 3 * faces.size());
  for (size_t f = 0; f < faces.size(); ++f) {
    std::vector<int> named;
    for (size_t t = 1; t < equations[3 * f].terms.size(); ++t) named.push_back(equations[3 * f].terms[t].node);
    std::vector<int> expected = faces[f].second;
    std::sort(named.begin(), named.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(named, expected) << "element " << faces[f].first.first << " face S" << faces[f].first.second;
  }
}

TEST(Pieces, OnlyElementsAndConstraintsJoinNodes) {
  Assembly s;
  s.build();
  addNode(s.model, 5000, 9, 9, 9);  // used by nothing: not a piece
  Block third{{1, 1, 1}, {5, 0, 0}, {6, 1, 1}, 9001};
  addBlock(s.model, third);
  s.model.ties.push_back(tieOf("SLAVE", "MASTER"));  // a tie joins nothing until it is equations
  EXPECT_EQ(refusal([&] { requireOnePiece(s.model); }),
            "the model falls into 3 unconnected pieces (80 nodes with node 1001; 48 nodes with node 1; 8 nodes with "
            "node 9001): a free body must be one piece; join them with *TIE (contact pairs do not join parts)");

  Model tied = s.model;
  for (Equation &eq : tieEquations(tied)) tied.equations.push_back(eq);
  EXPECT_EQ(findPieces(tied).size(), 2u);
  tied.equations.push_back({{{9001, 1, 1.0}, {1, 1, -1.0}}, {}});
  const std::vector<Piece> one = findPieces(tied);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].nodeCount, 48 + 80 + 8);
  EXPECT_EQ(one[0].lowestNode, 1);

  Model held = s.model;
  addNode(held, 7001, 0, 0, 0);
  addNode(held, 7002, 0, 0, 0);
  held.rigidBodies.push_back({{1, 1001, 9001}, 7001, 7002, {}});
  EXPECT_EQ(findPieces(held).size(), 1u);
}

TEST(ConstraintChecks, RefuseWhatHoldsTheFreeBodyOrWhatTheSolverCannotTake) {
  Assembly s;
  s.build();
  addNode(s.model, 7001, 1, 0.3, 0.2);
  addNode(s.model, 7002, 1, 0.3, 0.2);
  s.model.rigidBodies.push_back({{1, 2, 5}, 7001, 7002, {"rigid.inp", 3}});
  const SourceLine line{"eqs.inp", 12};
  auto check = [&](std::vector<EquationTerm> terms) {
    Model m = s.model;
    m.equations.push_back({terms, line});
    return refusal([&] { checkConstraints(m); });
  };
  // Coincident nodes, a three-node average printed to six digits, a rotation
  // node carrying the rotation of a pair of nodes: all move rigidly.
  EXPECT_EQ(check({{1001, 1, 1.0}, {4, 1, -1.0}}), "(accepted)");
  EXPECT_EQ(check({{6, 3, 1.0}, {5, 3, -0.499999}, {7, 3, -0.500001}}), "(accepted)");
  // (u_4 - u_1) in y over their distance in x (1) is the rotation about z.
  EXPECT_EQ(check({{4, 2, 1.0}, {1, 2, -1.0}, {7002, 3, -1.0}}), "(accepted)");

  EXPECT_EQ(check({{1004, 1, 2.0}}),
            "eqs.inp:12: *EQUATION holds the free body's translation along x: its coefficients along x sum to 2, not "
            "zero (a free body's constraints must let it move rigidly)");
  EXPECT_NE(check({{1004, 1, 1.0}, {4, 2, -1.0}}).find("translation along x"), std::string::npos);
  EXPECT_NE(check({{1004, 1, 1.0}, {9, 1, -1.0}}).find("eqs.inp:12: *EQUATION holds the free body's rotation about"),
            std::string::npos);
  EXPECT_NE(check({{1004, 1, 0.0}, {1, 1, 0.0}}).find("zero first coefficient"), std::string::npos);
  EXPECT_NE(check({{1004, 4, 1.0}, {1, 4, -1.0}}).find("direction 4"), std::string::npos);
  EXPECT_NE(check({{2, 1, 1.0}, {3, 1, -1.0}})
                .find("eqs.inp:12: *EQUATION makes node 2 direction 1 dependent, but "
                      "the constraint at rigid.inp:3 already does"),
            std::string::npos);

  s.model.rigidBodies.push_back({{1002, 7001}, 7003, 7004, {"rigid.inp", 9}});
  addNode(s.model, 7003, 1, 0, 0);
  addNode(s.model, 7004, 1, 0, 0);
  const std::string tiedReference = refusal([&] { checkConstraints(s.model); });
  EXPECT_NE(
      tiedReference.find("rigid.inp:3: *RIGID BODY has node 7001 as its reference node, but a rigid body ties it"),
      std::string::npos);
  s.model.rigidBodies.back() = {{1002}, 7003, 1003, {"rigid.inp", 9}};
  EXPECT_NE(refusal([&] { checkConstraints(s.model); }).find("element 1002 uses it"), std::string::npos);
}

TEST(DependentDofs, RebuildsChainsOfEquationsAndRigidBodiesToFullPrecision) {
  Assembly s;
  s.a.type = "C3D20";
  s.b.shape = [](double *x) { x[1] += 0.01 * x[2]; };
  s.build();
  s.model.ties.push_back(tieOf("SLAVE", "MASTER", 0.01));
  for (Equation &eq : tieEquations(s.model)) s.model.equations.push_back(eq);
  // Chains: A's far side rigid, its reference node tied by an equation to a
  // node of B; a tied slave node of B drives a node of B in turn.
  addNode(s.model, 7001, 0, 0.3, 0.2);
  addNode(s.model, 7002, 0, 0.3, 0.2);
  RigidBody body{{}, 7001, 7002, {"rigid.inp", 1}};
  for (int id = 1; id < 1000; ++id)
    if (s.model.nodeIndex.count(id) && s.model.position(id)[0] == 0.0) body.nodes.push_back(id);
  s.model.rigidBodies.push_back(body);
  s.model.equations.push_back({{{7001, 2, 2.0}, {1010, 2, -2.0}}, {"eqs.inp", 5}});
  s.model.equations.push_back({{{1020, 1, 4.0}, {1001, 1, -1.0}, {1005, 1, -3.0}}, {"eqs.inp", 6}});

  const DependentDofs dependent(s.model);
  EXPECT_EQ(dependent.dependentCount(), 3 * 16 + 3 * body.nodes.size() + 2);
  // The solver's equations: every other degree of freedom, in its own order.
  std::vector<Dof> dofs;
  for (int id : s.model.nodeIds)
    for (int d = 3; d >= 1; --d)
      if (!dependent.isDependent(id, d)) dofs.push_back({id, d});
  const size_t modes = 5;
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> solver(dofs.size() * modes);
  for (double &v : solver) v = value(random);
  const std::vector<double> u = dependent.expand(dofs, solver.data(), modes);

  for (size_t j = 0; j < modes; ++j) {
    auto at = [&](int node, int d) {
      return u[(3 * static_cast<size_t>(s.model.nodeIndex.at(node)) + d - 1) * modes + j];
    };
    EXPECT_EQ(at(dofs[17].node, dofs[17].direction), solver[j * dofs.size() + 17]);
    for (const Equation &eq : s.model.equations) EXPECT_LE(relativeResidual(eq, at, 1.0), 1e-15);
    const double *ref = s.model.position(7001);
    for (int id : body.nodes) {
      const double *x = s.model.position(id);
      const double r[3] = {x[0] - ref[0], x[1] - ref[1], x[2] - ref[2]};
      EXPECT_NEAR(at(id, 1), at(7001, 1) + at(7002, 2) * r[2] - at(7002, 3) * r[1], 1e-15);
      EXPECT_NEAR(at(id, 3), at(7001, 3) + at(7002, 1) * r[1] - at(7002, 2) * r[0], 1e-15);
    }
  }

  dofs.push_back({1001, 1});
  EXPECT_THROW(dependent.expand(dofs, solver.data(), 1), ResultFileError);
  s.model.equations.push_back({{{1010, 2, 1.0}, {7001, 2, -1.0}}, {"eqs.inp", 8}});
  EXPECT_NE(refusal([&] { DependentDofs cycle(s.model); }).find("depend on itself"), std::string::npos);
}

// The solver's eigenvalues and modes of a model: its equations from a matrix
// run, the modes from a frequency run that also prints every node's
// displacements (the dependent ones too, to seven digits).
struct SolverModes {
  std::vector<Dof> dofs;
  EigenSolution eig;
  std::map<std::pair<int, int>, std::array<double, 3>> printed;  // (mode, node)
};

SolverModes solve(const Model &model, const std::string &folder, int modeCount) {
  const std::string solver = findSolver();
  writeModelDeck(model, {}, folder + "/model.inp");
  writeMatrixDeck({}, folder + "/matrix.inp");
  ccxtest::writeText(folder + "/modes.inp", "*INCLUDE, INPUT=model.inp\n*STEP\n*FREQUENCY, STORAGE=YES\n" +
                                                std::to_string(modeCount) +
                                                "\n*NODE PRINT, NSET=QVBNALL\nU\n*END STEP\n");
  double seconds = 0.0;
  runSolver(solver, folder, "matrix", &seconds);
  runSolver(solver, folder, "modes", &seconds);
  SolverModes out;
  out.dofs = readDofs(folder + "/matrix.dof");
  const SymmetricTriplets stiffness = readSymmetric(folder + "/matrix.sti", out.dofs.size());
  out.eig = readEigenSolution(folder + "/modes.eig", {static_cast<int64_t>(out.dofs.size()),
                                                      static_cast<int64_t>(offDiagonalCount(stiffness)), modeCount});
  std::ifstream dat(folder + "/modes.dat");
  std::string line;
  int mode = 0;
  while (std::getline(dat, line)) {
    if (line.find("displacements") != std::string::npos) ++mode;
    std::istringstream fields(line);
    int node;
    std::array<double, 3> u;
    if (mode > 0 && fields >> node >> u[0] >> u[1] >> u[2]) out.printed[{mode, node}] = u;
  }
  return out;
}

TEST(ConstraintsWithTheSolver, TwoBlocksTiedVibrateAsOneBlock) {
  try {
    findSolver();
  } catch (const std::exception &) {
    GTEST_SKIP() << "no solver";
  }
  // Both models carry a rigid body on their end x = 2.
  auto holdEnd = [](Model &m, int firstNode, int stride) {
    RigidBody body{{}, addNode(m, 5001, 2, 0.125, 0.075), addNode(m, 5002, 2, 0.125, 0.075), {}};
    for (int k = 0; k < 3; ++k)
      for (int j = 0; j < 4; ++j) body.nodes.push_back(firstNode + stride * (j + 4 * k));
    m.rigidBodies.push_back(body);
  };
  Assembly tied;
  tied.a.n = {4, 3, 2}, tied.a.high = {1, 0.25, 0.15};
  tied.b.n = {4, 3, 2}, tied.b.high = {2, 0.25, 0.15};
  tied.build();
  tied.model.ties.push_back(tieOf("SLAVE", "MASTER"));
  for (Equation &eq : tieEquations(tied.model)) tied.model.equations.push_back(eq);
  holdEnd(tied.model, 1005, 5);
  checkConstraints(tied.model);
  requireOnePiece(tied.model);
  Model merged;
  addBlock(merged, Block{{8, 3, 2}, {0, 0, 0}, {2, 0.25, 0.15}, 1});
  holdEnd(merged, 9, 9);

  const int modeCount = 12;
  qvbtest::TempDir one, two;
  const SolverModes m = solve(merged, one.path().string(), modeCount);
  const SolverModes t = solve(tied.model, two.path().string(), modeCount);
  EXPECT_EQ(t.dofs.size(), m.dofs.size());  // the slave side's 36 degrees of freedom are eliminated
  ASSERT_EQ(t.eig.modeCount, modeCount);
  const double first = m.eig.eigenvalues[6];
  for (int j = 0; j < modeCount; ++j)
    EXPECT_NEAR(t.eig.eigenvalues[j], m.eig.eigenvalues[j], 1e-6 * std::max(first, std::fabs(m.eig.eigenvalues[j])));

  // The tied model's modes on every node, the tied and rigid ones rebuilt,
  // are what the solver prints for them.
  const std::vector<double> u = DependentDofs(tied.model).expand(t.dofs, t.eig.modes.data(), modeCount);
  ASSERT_EQ(t.printed.size(), modeCount * tied.model.nodeIds.size());
  for (int j = 0; j < modeCount; ++j) {
    double largest = 0.0, difference = 0.0;
    for (size_t a = 0; a < tied.model.nodeIds.size(); ++a)
      for (int d = 0; d < 3; ++d) {
        const double printed = t.printed.at({j + 1, tied.model.nodeIds[a]})[static_cast<size_t>(d)];
        largest = std::max(largest, std::fabs(printed));
        difference = std::max(
            difference, std::fabs(u[(3 * a + static_cast<size_t>(d)) * modeCount + static_cast<size_t>(j)] - printed));
      }
    EXPECT_LE(difference, 1e-6 * largest) << "mode " << j + 1;
  }

  // Our own eigen-solution of the solver's matrices (what the translator
  // now uses) is the solver's: eigenvalues (to the solver's own convergence), and flexible modes up to sign.
  const std::string folder = two.path().string();
  const SymmetricTriplets K = readSymmetric(folder + "/matrix.sti", t.dofs.size());
  const SymmetricTriplets M = readSymmetric(folder + "/matrix.mas", t.dofs.size());
  const LanczosSolution own = lowestEigenpairs(K, M, modeCount);
  const size_t n = t.dofs.size();
  const std::vector<double> massTimesOwn = multiply(M, own.modes, modeCount);
  for (int j = 6; j < modeCount; ++j) {
    EXPECT_NEAR(own.eigenvalues[j], t.eig.eigenvalues[j], 1e-8 * t.eig.eigenvalues[j]) << "mode " << j + 1;
    double projection = 0.0;  // phi_solver' M phi_own, +-1 for the same unit mode
    for (size_t e = 0; e < n; ++e) projection += t.eig.modes[j * n + e] * massTimesOwn[e * modeCount + j];
    EXPECT_NEAR(std::fabs(projection), 1.0, 1e-7) << "mode " << j + 1;
  }
}

// The tied matrices we build from the mesh's are the ones the solver
// assembles with the interfaces tied, entry by entry.
TEST(TiedMatrices, AreTheSolversTiedMatrices) {
  try {
    findSolver();
  } catch (const std::exception &) {
    GTEST_SKIP() << "no solver";
  }
  Model m;
  Block block{{4, 2, 2}, {0, 0, 0}, {1, 0.3, 0.2}, 1};
  block.type = "C3D20";
  addBlock(m, block);
  for (size_t a = 0; a < m.nodeIds.size(); ++a) {
    const double x = m.coordinates[3 * a];
    if (x == 0.0 || x == 1.0) m.nodeSets[x == 0.0 ? "END0" : "END1"].push_back(m.nodeIds[a]);
  }
  const std::vector<Interface> interfaces = defineInterfaces(m, {"END0", "END1"});
  qvbtest::TempDir dir;
  const std::string folder = dir.path().string();
  writeModelDeck(m, interfaces, folder + "/model.inp");
  writeMatrixDeck({}, folder + "/mesh.inp");
  writeMatrixDeck(interfaces, folder + "/tied.inp");
  double seconds = 0.0;
  runSolver(findSolver(), folder, "mesh", &seconds);
  runSolver(findSolver(), folder, "tied", &seconds);
  const std::vector<Dof> meshDofs = readDofs(folder + "/mesh.dof"), solverDofs = readDofs(folder + "/tied.dof");
  const TiedMatrices ours = tieInterfaces(m, interfaces, meshDofs, readSymmetric(folder + "/mesh.sti", meshDofs.size()),
                                          readSymmetric(folder + "/mesh.mas", meshDofs.size()));
  ASSERT_EQ(ours.dofs.size(), solverDofs.size());
  std::map<std::pair<int, int>, size_t> solverIndex;
  for (size_t p = 0; p < solverDofs.size(); ++p) solverIndex[{solverDofs[p].node, solverDofs[p].direction}] = p;
  const size_t n = solverDofs.size();
  for (const char *which : {"sti", "mas"}) {
    const SymmetricTriplets theirs = readSymmetric(folder + "/tied." + which, n);
    const SymmetricTriplets &own = std::string(which) == "sti" ? ours.stiffness : ours.mass;
    std::vector<double> difference(n * n, 0.0);
    double largest = 0.0;
    for (size_t k = 0; k < theirs.value.size(); ++k) {
      difference[theirs.row[k] * n + theirs.col[k]] += theirs.value[k];
      difference[theirs.col[k] * n + theirs.row[k]] = difference[theirs.row[k] * n + theirs.col[k]];
      largest = std::max(largest, std::fabs(theirs.value[k]));
    }
    for (size_t k = 0; k < own.value.size(); ++k) {
      const size_t a = solverIndex.at({ours.dofs[own.row[k]].node, ours.dofs[own.row[k]].direction});
      const size_t b = solverIndex.at({ours.dofs[own.col[k]].node, ours.dofs[own.col[k]].direction});
      difference[a * n + b] -= own.value[k];
      if (a != b) difference[b * n + a] -= own.value[k];
    }
    double worst = 0.0;
    for (double d : difference) worst = std::max(worst, std::fabs(d));
    EXPECT_LT(worst, 1e-11 * largest) << which;
  }
}

}  // namespace
