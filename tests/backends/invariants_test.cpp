// Inertia invariants computed from nodal masses and mode shapes, against hand
// values, against the defining sums, and under rigid motions of the body.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

#include "backend_fixture.h"
#include "expected_invariants.h"

namespace qvbtest {
namespace {

class Invariants : public ::testing::Test {
 protected:
  void TearDown() override { flex().QVB_Terminate(); }
  const s_FLEX_INTERFACE &f = flex();
};

void expectNear(const std::vector<double> &actual, const std::vector<double> &expected, const char *what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  for (size_t k = 0; k < actual.size(); ++k)
    EXPECT_NEAR(actual[k], expected[k], 1e-9 * std::max(1.0, std::fabs(expected[k]))) << what << " [" << k << "]";
}

// Point masses 1, 2, 3, 1 at (1,0,0), (0,2,0), (0,0,3), (1,1,0) with the
// rigid modes: translation in x (mode 1) and y (2), rotation about z (3).
TEST_F(Invariants, RigidModesOfPointMassesByHandAndStoredBlocksWin) {
  QVB_Handle b = f.QVB_Create(0, 0);
  const double x[4][3] = {{1, 0, 0}, {0, 2, 0}, {0, 0, 3}, {1, 1, 0}}, m[4] = {1, 2, 3, 1};
  for (int p = 0; p < 4; ++p) {
    f.QVB_SetNodeCoordinates(b, p + 1, x[p][0], x[p][1], x[p][2]);
    f.QVB_SetNodalMass(b, p + 1, m[p]);
    f.QVB_SetMode(b, 1, p + 1, 0, 1, 0, 0, 0, 0, 0);
    f.QVB_SetMode(b, 2, p + 1, 0, 0, 1, 0, 0, 0, 0);
    f.QVB_SetMode(b, 3, p + 1, 0, -x[p][1], x[p][0], 0, 0, 0, 1);
  }
  EXPECT_DOUBLE_EQ(f.QVB_Invar1(b), 7.0);
  expectNear(take(f.QVB_Invar2(b), 3), {2, 5, 9}, "first moment");
  expectNear(take(f.QVB_Invar7(b), 9), {36, -1, 0, -1, 29, 0, 0, 0, 11}, "inertia about the origin");
  // Component-major 3 x M: translation x, translation y, rotation z.
  expectNear(take(f.QVB_Invar3(b), 9), {7, 0, -5, 0, 7, 2, 0, 0, 0}, "invariant 3");
  expectNear(take(f.QVB_Invar4(b), 9), {0, -9, 0, 9, 0, 0, -5, 2, 11}, "invariant 4");
  expectNear(take(f.QVB_Invar6(b), 9), {7, 0, -5, 0, 7, 2, -5, 2, 11}, "generalized mass");
  // Mode 1 with each mode: x cross y = z, x cross (-y, x, 0) = (0, 0, x); y x' - (x . y) 1.
  expectNear(take(f.QVB_Invar5(b, 0), 9), {0, 0, 0, 0, 0, 0, 0, 7, 2}, "invariant 5 of mode 1");
  expectNear(take(f.QVB_Invar9(b, 0, 1), 9), {0, 0, 0, 7, 0, 0, 0, 0, 0}, "invariant 9 of modes 1 and 2");
  double mass, inertia[9], centre[3];
  f.QVB_TotalMassInertia(b, &mass, inertia, centre);
  EXPECT_DOUBLE_EQ(mass, 7.0);
  expectNear({centre[0], centre[1], centre[2]}, {2.0 / 7, 5.0 / 7, 9.0 / 7}, "centre of mass");
  // Parallel axes: inertia about the centre = about the origin - m (|c|^2 1 - c c').
  EXPECT_NEAR(inertia[8], 11.0 - 7.0 * (centre[0] * centre[0] + centre[1] * centre[1]), 1e-12);
  // Computed, not stored: the blocks stay absent.
  for (int block : {19, 20, 21, 22, 23, 24, 25, 26}) EXPECT_EQ(f.QVB_Exists(b, block - 1), 0) << block;

  // Stored blocks win over the nodal sums; the others stay computed.
  double i2[3] = {-1, -2, -3}, column[3] = {4, 5, 6};
  f.QVB_SetInvar1(b, 42.0);
  f.QVB_SetInvar2(b, i2);
  f.QVB_SetInvar5(b, 3, 1, column);  // I5 of mode 3, column of mode 1
  EXPECT_DOUBLE_EQ(f.QVB_Invar1(b), 42.0);
  expectNear(take(f.QVB_Invar2(b), 3), {-1, -2, -3}, "stored invariant 2");
  expectNear(take(f.QVB_Invar5(b, 2), 9), {4, 0, 0, 5, 0, 0, 6, 0, 0}, "stored invariant 5");
  EXPECT_EQ(f.QVB_Exists(b, 18), 1);
  EXPECT_EQ(f.QVB_Exists(b, 22), 1);
  EXPECT_EQ(f.QVB_Exists(b, 25), 0);
  expectNear(take(f.QVB_Invar7(b), 9), {36, -1, 0, -1, 29, 0, 0, 0, 11}, "computed invariant 7");

  QVB_Handle bare = f.QVB_Create(0, 0);
  f.QVB_SetNodeCoordinates(bare, 1, 0, 0, 0);
  messages().clear();
  EXPECT_EQ(f.QVB_Invar2(bare), nullptr);
  EXPECT_TRUE(anyMessageContains("nodal masses"));
}

// Random masses, inertias and shapes on n nodes and m modes.
QVB_Handle randomBody(unsigned seed, int nodes, int modes) {
  const s_FLEX_INTERFACE &f = flex();
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  QVB_Handle b = f.QVB_Create(0, 0);
  for (int p = 1; p <= nodes; ++p) {
    f.QVB_SetNodeCoordinates(b, p, u(random), u(random), u(random));
    f.QVB_SetNodalMass(b, p, 1.5 + u(random));
    f.QVB_SetNodalInertia(b, p, 1.0, 1.2, 1.4, 0.1 * u(random), 0.1 * u(random), 0.1 * u(random));
    for (int j = 1; j <= modes; ++j)
      f.QVB_SetMode(b, j, p, 0, u(random), u(random), u(random), u(random), u(random), u(random));
  }
  return b;
}

void checkFiveAndNine(QVB_Handle b, int nodes, int modes, const char *after) {
  SCOPED_TRACE(after);
  const s_FLEX_INTERFACE &f = flex();
  std::vector<double> masses(nodes), i5, i9;
  std::vector<std::vector<std::array<double, 3>>> shapes(modes, std::vector<std::array<double, 3>>(nodes));
  for (int p = 0; p < nodes; ++p) masses[p] = f.QVB_NodalMass(b, p);
  for (int j = 0; j < modes; ++j) f.QVB_Mode(b, j + 1, 0, shapes[j][0].data(), 0);
  expectedInvariants59(masses, shapes, i5, i9);
  const auto part = [](const std::vector<double> &v, int at, int n) { return std::vector<double>(&v[at], &v[at] + n); };
  for (int j = 0; j < modes; ++j) {
    expectNear(take(f.QVB_Invar5(b, j), 3 * modes), part(i5, 3 * modes * j, 3 * modes), "invariant 5");
    for (int k = 0; k < modes; ++k)
      expectNear(take(f.QVB_Invar9(b, j, k), 9), part(i9, 9 * (j * modes + k), 9), "invariant 9");
  }
}

// All pairs are computed together and kept; each change of masses or shapes
// must be seen by the next query.
TEST_F(Invariants, FiveAndNineFollowTheirDefiningSums) {
  const int nodes = 6, modes = 3;
  QVB_Handle b = randomBody(7, nodes, modes);
  checkFiveAndNine(b, nodes, modes, "first query");
  f.QVB_SetNodalMass(b, 3, 4.0);
  checkFiveAndNine(b, nodes, modes, "a changed mass");
  f.QVB_SetMode(b, 2, 4, 0, 0.5, -0.25, 2.0, 0, 0, 0);
  checkFiveAndNine(b, nodes, modes, "a changed shape");
  f.QVB_ScaleModes(b, 0, -3.0);
  checkFiveAndNine(b, nodes, modes, "scaled modes");
}

// Stores the invariants that the body computes, so that a copy carries them
// as blocks.
void storeComputedInvariants(QVB_Handle from, QVB_Handle to, int modes) {
  const s_FLEX_INTERFACE &f = flex();
  f.QVB_SetInvar1(to, f.QVB_Invar1(from));
  std::vector<double> v = take(f.QVB_Invar2(from), 3);
  f.QVB_SetInvar2(to, v.data());
  std::vector<double> j = take(f.QVB_Invar7(from), 9);
  double six[6] = {j[0], j[4], j[8], j[1], j[2], j[5]};
  f.QVB_SetInvar7(to, six);
  std::vector<double> i3 = take(f.QVB_Invar3(from), 3 * modes), i4 = take(f.QVB_Invar4(from), 3 * modes);
  for (int m = 0; m < modes; ++m) {
    double a[3] = {i3[m], i3[modes + m], i3[2 * modes + m]}, c[3] = {i4[m], i4[modes + m], i4[2 * modes + m]};
    f.QVB_SetInvar3(to, m + 1, a);
    f.QVB_SetInvar4(to, m + 1, c);
    std::vector<double> i8 = take(f.QVB_Invar8(from, m), 9), i5 = take(f.QVB_Invar5(from, m), 3 * modes);
    f.QVB_SetInvar8(to, m + 1, i8.data());
    for (int k = 0; k < modes; ++k) {
      double col[3] = {i5[k], i5[modes + k], i5[2 * modes + k]};
      f.QVB_SetInvar5(to, m + 1, k + 1, col);
      std::vector<double> i9 = take(f.QVB_Invar9(from, m, k), 9);
      f.QVB_SetInvar9(to, m + 1, k + 1, i9.data());
    }
  }
}

TEST_F(Invariants, RigidMotionsKeepStoredInvariantsConsistent) {
  const int modes = 2;
  QVB_Handle computed = randomBody(11, 5, modes);
  QVB_Handle stored = randomBody(11, 5, modes);
  storeComputedInvariants(computed, stored, modes);
  double point[3] = {0.3, -0.2, 1.0}, axis[3] = {1, 2, 2}, normal[3] = {0, 1, 1}, direction[3] = {1, -1, 0.5};
  for (QVB_Handle b : {computed, stored}) {
    ASSERT_EQ(f.QVB_Rotate(b, point, axis, 0.7), 1);
    ASSERT_EQ(f.QVB_Mirror(b, point, normal), 1);
    ASSERT_EQ(f.QVB_Translate(b, direction, 2.5), 1);
  }
  expectNear(allInvariants(stored), allInvariants(computed), "invariants");
  // The motion did move the body; its generalized mass stays the same.
  QVB_Handle untouched = randomBody(11, 5, modes);
  EXPECT_GT(std::fabs(take(f.QVB_Invar2(computed), 3)[0] - take(f.QVB_Invar2(untouched), 3)[0]), 0.1);
  expectNear(take(f.QVB_Invar6(computed), 4), take(f.QVB_Invar6(untouched), 4), "invariant 6");
}

}  // namespace
}  // namespace qvbtest
