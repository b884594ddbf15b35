// How many leading modes a body counts as rigid-body modes, for eigenvalues as
// real solvers give them.
#include <gtest/gtest.h>

#include <vector>

#include "backend_fixture.h"

namespace qvbtest {
namespace {

class RigidModes : public ::testing::Test {
 protected:
  void TearDown() override { flex().QVB_Terminate(); }
  // A one-node body whose modes 1..n have unit generalized mass and these eigenvalues.
  int count(const std::vector<double> &lambda, const char *timeUnit = "SECOND") {
    QVB_Handle b = f.QVB_Create(0, 0);
    EXPECT_EQ(f.QVB_SetUnits(b, "KILOGRAM", "METER", timeUnit, "NEWTON"), 1);
    f.QVB_SetNodeCoordinates(b, 1, 0, 0, 0);
    for (int k = 1; k <= static_cast<int>(lambda.size()); ++k) {
      f.QVB_SetMode(b, k, 1, 0, 1, 0, 0, 0, 0, 0);
      f.QVB_SetGeneralizedMass(b, k, k, 1.0);
      f.QVB_SetGeneralizedStiffness(b, k, k, lambda[k - 1]);
    }
    EXPECT_EQ(f.QVB_ModeCount(b), static_cast<int>(lambda.size()));
    return f.QVB_RigidBodyModeCount(b);
  }
  const s_FLEX_INTERFACE &f = flex();
};

TEST_F(RigidModes, SolverNoiseOfEitherSignUpToTwiceTenToTheMinusFour) {
  // A free solid part: two rigid eigenvalues lie above 0.01 rad/s, two are negative.
  const std::vector<double> solid = {-1e-5, 2e-4, 3e-10, -2e-6, 1.8e-4, 5e-5, 4.4e5, 1.7e6, 3.4e6};
  EXPECT_EQ(count(solid), 6);
  EXPECT_EQ(count(solid, "MILLISECOND"), 6);
  // Held at one point: three rotations left, counted as they are.
  EXPECT_EQ(count({1e-4, -3e-5, 2e-4, 4.4e5, 1.7e6}), 3);
}

TEST_F(RigidModes, SoftOrFlexibleModesAreNotRigid) {
  EXPECT_EQ(count({1e4, 2e4, 9e4}), 0);
  // 0.1 rad/s is soft, not rigid, next to 2 rad/s.
  EXPECT_EQ(count({1e-2, 4.0, 9.0}), 0);
  // Below 0.01 rad/s counts whatever follows, and beyond six.
  EXPECT_EQ(count({0, 0, 0, 0, 0, 0, 0, 1e4}), 7);
  EXPECT_EQ(count({0, 0, 0}), 3);
  EXPECT_EQ(count({}), 0);
}

}  // namespace
}  // namespace qvbtest
