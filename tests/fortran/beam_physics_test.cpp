// Runs the shipped beam translator and checks the body it writes against
// the physics of a free-free Euler-Bernoulli beam.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "qvb.h"
#include "support/test_support.h"

namespace {

// The translator's tube: steel, 1 m, 40 mm outer diameter, 2 mm wall.
constexpr double kPi = 3.14159265358979323846;
constexpr double kLength = 1.0, kYoung = 210e9, kDensity = 7850.0;
constexpr double kOuter = 0.040, kInner = 0.036;
const double kArea = kPi / 4 * (kOuter * kOuter - kInner * kInner);
const double kBending = kPi / 64 * (std::pow(kOuter, 4) - std::pow(kInner, 4));
const double kMass = kDensity * kArea * kLength;

// Free-free beam: f_n = (beta_n L)^2 / (2 pi L^2) sqrt(E I / (rho A)).
double theoreticalBendingFrequency(int n) {
  static const double kBetaL[] = {4.7300407, 7.8532046, 10.9956078, 14.1371655};
  return kBetaL[n] * kBetaL[n] / (2 * kPi * kLength * kLength) *
         std::sqrt(kYoung * kBending / (kDensity * kArea));
}

class BeamTranslatorTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new qvbtest::TempDir;
    qvbtest::ScopedEnv plugins("TRX_USER_PLUGIN_DIR", std::nullopt);  // found from its own place
    const std::string command = "cd '" + folder_->path().string() + "' && '" BEAM_TRANSLATOR
                                "' > translator.log 2>&1";
    run_result_ = std::system(command.c_str());
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override {
    ASSERT_EQ(run_result_, 0) << "beam_translator failed; see its log";
    plugins_.emplace("TRX_USER_PLUGIN_DIR", QVB_PLUGIN_DIR);
    body_ = QVB_CreateFromQVB(folder_->file("beam.qvb").c_str());
    ASSERT_NE(body_, nullptr);
  }
  void TearDown() override { QVB_Terminate(); }

  // Frequencies in Hz of all modes, from the eigenvalues (omega^2).
  std::vector<double> frequencies() const {
    std::vector<double> found;
    for (int i = 0; i < QVB_ModeCount(body_); ++i) {
      double eigenvalue = -1;
      QVB_Eigenvalue(body_, QVB_ModeNumber(body_, i), &eigenvalue, nullptr, nullptr, nullptr,
                     nullptr);
      found.push_back(std::sqrt(std::max(eigenvalue, 0.0)) / (2 * kPi));
    }
    return found;
  }

  static qvbtest::TempDir *folder_;
  static int run_result_;
  std::optional<qvbtest::ScopedEnv> plugins_;
  QVB_Handle body_ = nullptr;
};

qvbtest::TempDir *BeamTranslatorTest::folder_ = nullptr;
int BeamTranslatorTest::run_result_ = -1;

TEST_F(BeamTranslatorTest, FrequenciesMatchEulerBernoulli) {
  const std::vector<double> f = frequencies();
  ASSERT_EQ(f.size(), 20u);
  EXPECT_EQ(QVB_RigidBodyModeCount(body_), 6);
  for (int i = 0; i < 6; ++i) EXPECT_LT(f[i], 0.01) << "rigid-body mode " << i + 1;
  // Bending modes come in pairs (y and z); torsion and axial modes lie
  // between the third and fourth pair.
  const int first_of_pair[] = {6, 8, 10, 13};
  for (int n = 0; n < 4; ++n) {
    const double theory = theoreticalBendingFrequency(n);
    for (int k = 0; k < 2; ++k) {
      const double measured = f[first_of_pair[n] + k];
      const double tolerance = n < 2 ? 0.005 : 0.01;
      EXPECT_NEAR(measured / theory, 1.0, tolerance)
          << "bending pair " << n + 1 << ": " << measured << " Hz vs " << theory << " Hz";
    }
  }
  // Torsion, c = sqrt(G / rho): f = c / (2 L) for the first free-free mode.
  const double shear = kYoung / (2 * 1.3);
  EXPECT_NEAR(f[12] / (std::sqrt(shear / kDensity) / (2 * kLength)), 1.0, 0.005);
}

TEST_F(BeamTranslatorTest, MassPropertiesAreThoseOfTheTube) {
  double mass = 0, inertia[9] = {}, centre[3] = {};
  QVB_TotalMassInertia(body_, &mass, inertia, centre);
  EXPECT_NEAR(mass / kMass, 1.0, 1e-9);
  EXPECT_NEAR(centre[0], kLength / 2, 1e-9);
  EXPECT_NEAR(centre[1], 0.0, 1e-12);
  EXPECT_NEAR(centre[2], 0.0, 1e-12);
  // About the centre of mass: torsion rho Ip L, bending m L^2 / 12 + rho I L.
  EXPECT_NEAR(inertia[0] / (kDensity * 2 * kBending * kLength), 1.0, 1e-6);
  const double transverse = kMass * kLength * kLength / 12 + kDensity * kBending * kLength;
  EXPECT_NEAR(inertia[4] / transverse, 1.0, 0.005);
  EXPECT_NEAR(inertia[8] / transverse, 1.0, 0.005);
}

TEST_F(BeamTranslatorTest, GeometryAndInterfaceNodes) {
  EXPECT_EQ(QVB_NodeCount(body_), 41 * 9);  // axis nodes plus rings of 8
  int faces = 0, list_size = 0;
  QVB_FaceListSize(body_, &faces, &list_size);
  EXPECT_EQ(faces, 40 * 8 + 2);
  int count = 0;
  int *ids = QVB_InterfaceNodeIDs(body_, &count);
  ASSERT_EQ(count, 2);
  ASSERT_NE(ids, nullptr);
  EXPECT_EQ(ids[0], 1);
  EXPECT_EQ(ids[1], 41);
  QVB_FreeMemory(ids);
  // Mass-normalised modes: unit generalized mass.
  double generalized_mass = 0;
  QVB_Eigenvalue(body_, QVB_ModeNumber(body_, 7), nullptr, nullptr, nullptr, &generalized_mass,
                 nullptr);
  EXPECT_NEAR(generalized_mass, 1.0, 1e-12);
}

}  // namespace
