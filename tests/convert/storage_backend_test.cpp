// Conversions of bodies built through the C interface on the real storage
// backend, and the qvb2mtx command on a body file. Expected numbers come from
// the arrays the test hands to the setters. (The optimized body's edits are
// checked call by call on the fake backend, in side_outputs_test.)
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "expected_invariants.h"
#include "mtx_reader.h"

#include "qvb.h"
#include "support/test_support.h"

namespace convert_test {
namespace {

constexpr int kNodes = 3, kModes = 2;
const int kIds[kNodes] = {1, 2, 3};
const double kXyz[kNodes][3] = {{0, 0, 0}, {2, 0, 0}, {0, 1, 0.5}};
const double kMass[kNodes] = {1.0, 2.0, 3.0};
// Translational shapes [mode][node], rotational ones derived from them.
const double kShape[kModes][kNodes][3] = {{{0.1, 0.2, 0.3}, {-0.4, 0.5, 0.6}, {0.7, -0.8, 0.9}},
                                          {{0.5, 0.0, -0.5}, {0.25, 1.0, 0.0}, {-1.0, 0.3, 0.2}}};

class StorageBackendTest : public testing::Test {
 protected:
  void SetUp() override {
    QVB_Terminate();
    body = QVB_Create(kNodes, kModes);
    ASSERT_NE(body, nullptr);
    QVB_SetUnits(body, "KILOGRAM", "METER", "SECOND", "NEWTON");
    QVB_SetHeader(body, "plate", "run-1", "TEST", "", "", "");
    for (int n = 0; n < kNodes; ++n) {
      QVB_SetNodeCoordinates(body, kIds[n], kXyz[n][0], kXyz[n][1], kXyz[n][2]);
      QVB_SetNodalMass(body, kIds[n], kMass[n]);
      QVB_SetNodalInertia(body, kIds[n], 1, 2, 3, 0.1, 0.2, 0.3);
    }
    int face[3] = {1, 2, 3};
    QVB_SetFaceList(body, 3, face);
    QVB_SetInterfaceNode(body, 3);
    for (int m = 0; m < kModes; ++m) {
      for (int n = 0; n < kNodes; ++n) {
        const double *s = kShape[m][n];
        QVB_SetMode(body, m + 1, kIds[n], 0, s[0], s[1], s[2], -s[2], s[0], s[1]);
      }
      QVB_SetGeneralizedMass(body, m + 1, m + 1, 1.0);
      QVB_SetGeneralizedStiffness(body, m + 1, m + 1, 1e-12);  // below the sparse threshold
      double i3[3] = {1.0 + m, 2.0, 3.0}, i4[3] = {-1.0, m * 0.5, 4.0};
      QVB_SetInvar3(body, m + 1, i3);
      QVB_SetInvar4(body, m + 1, i4);
      double i8[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9.0 + m};
      QVB_SetInvar8(body, m + 1, i8);
    }
    QVB_RebuildEigenvalues(body);
    QVB_SetInvar1(body, 6.0);
    double i2[3] = {1.0, 0.5, 1.5};
    QVB_SetInvar2(body, i2);
    double i6[4] = {1.0, 0.0, 0.0, 1.0};
    QVB_SetInvar6(body, i6);
    double i7[6] = {5, 6, 7, 0.5, 0.25, 0.125};
    QVB_SetInvar7(body, i7);
  }
  void TearDown() override {
    QVB_Destroy(body);
    QVB_Terminate();
  }

  int runConversion(std::vector<std::string> switches, std::string *out = nullptr) {
    std::vector<std::string> args{"qvb2mtx", dir.file("plate.qvb")};
    args.insert(args.end(), switches.begin(), switches.end());
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    testing::internal::CaptureStdout();
    const int result = QVB_QVB2MTX(static_cast<int>(argv.size()), argv.data(), body);
    const std::string printed = testing::internal::GetCapturedStdout();
    if (out != nullptr) *out = printed;
    return result;
  }

  qvbtest::ScopedEnv plugins{"TRX_USER_PLUGIN_DIR", QVB_REAL_PLUGIN_DIR};
  qvbtest::TempDir dir;
  QVB_Handle body = nullptr;
};

TEST_F(StorageBackendTest, InvariantsFromNodalMassesAndTinyStiffness) {
  std::string out;
  ASSERT_EQ(runConversion({}, &out), 0) << out;
  MtxFile file;
  const std::vector<std::string> problems = readMtx(dir.file("plate.mtx"), file);
  EXPECT_TRUE(problems.empty()) << testing::PrintToString(problems);
  EXPECT_EQ(file.headerLine.rfind("ORVIKMAT2 plate  KILOGRAM  METER  SECOND  NEWTON  TTTTTTTTT [", 0), 0u)
      << file.headerLine;
  ASSERT_NE(file.find("GENSTIFF"), nullptr);
  EXPECT_EQ(file.find("GENSTIFF")->counts[2], 1);
  EXPECT_EQ(file.find("GENSTIFF")->text, std::vector<std::string>{"       1       1  0.00000000000000E+00"});

  std::vector<std::vector<std::array<double, 3>>> shapes(kModes);
  for (int m = 0; m < kModes; ++m)
    for (int p = 0; p < kNodes; ++p) shapes[m].push_back({kShape[m][p][0], kShape[m][p][1], kShape[m][p][2]});
  std::vector<double> i5, i9;
  expectedInvariants59({kMass, kMass + kNodes}, shapes, i5, i9);
  ASSERT_NE(file.find("INVAR5"), nullptr);
  const std::vector<double> got5 = file.find("INVAR5")->allValues(), got9 = file.find("INVAR9")->allValues();
  ASSERT_EQ(got5.size(), i5.size());
  ASSERT_EQ(got9.size(), i9.size());
  for (size_t i = 0; i < i5.size(); ++i) EXPECT_NEAR(got5[i], i5[i], 1e-13) << i;
  for (size_t i = 0; i < i9.size(); ++i) EXPECT_NEAR(got9[i], i9[i], 1e-13) << i;

  // SELNOD flags the interface node; T_MODE lists node-major shapes.
  const std::vector<double> selnod = file.find("SELNOD")->allValues();
  EXPECT_EQ(selnod, (std::vector<double>{1, 0, 0, 0, 0, 2, 2, 0, 0, 0, 3, 0, 1, 0.5, 1}));
  const std::vector<double> tmode = file.find("T_MODE")->allValues();
  ASSERT_EQ(tmode.size(), 18u);
  EXPECT_DOUBLE_EQ(tmode[3], kShape[1][0][0]);   // node 1, mode 2
  EXPECT_DOUBLE_EQ(tmode[6 + 2], kShape[0][1][2]);  // node 2, mode 1

}

// The command on a body file: plug-ins found beside the executable.
TEST_F(StorageBackendTest, CommandConvertsABodyFile) {
  const std::string file = dir.file("plate.qvb");
  ASSERT_NE(QVB_write_QVB(body, file.c_str()), 0);
  qvbtest::ScopedEnv noPlugins("TRX_USER_PLUGIN_DIR", std::nullopt);
  const std::string command = std::string(QVB2MTX_COMMAND) + " -Q " + file + "::1 -F -o " + dir.file("cmd") + " > " +
                              dir.file("cmd.log") + " 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  MtxFile mtx;
  EXPECT_TRUE(readMtx(dir.file("cmd.mtx"), mtx).empty());
  EXPECT_NE(mtx.headerLine.find("TTTTFTTTF [" + file + "::1@run-1]"), std::string::npos) << mtx.headerLine;
}

TEST(Command, HelpAndUnopenableBody) {
  qvbtest::TempDir dir;
  const std::string log = dir.file("log");
  auto run = [&](const std::string &args) {
    const int status = std::system((std::string(QVB2MTX_COMMAND) + " " + args + " > " + log + " 2>&1").c_str());
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str());
  };
  auto [helpStatus, help] = run("--help");
  EXPECT_EQ(helpStatus, 0);
  for (const char *sw : {"-Q", "-o", "-m", "-l", "-t", "-f", "+N", "-N", "+M", "-M", "-S", "-F", "-E", "-L",
                         "-sscale", "-mscale", "-C", "-c", "-H", "-s", "-d", "-b", "-O", "-I", "-h"})
    EXPECT_NE(help.find(std::string("  ") + sw + " "), std::string::npos) << sw;
  auto [status, text] = run(dir.file("missing.qvb"));
  EXPECT_EQ(status, 1);
  EXPECT_NE(text.find("qvb2mtx: cannot open the flexible body " + dir.file("missing.qvb")), std::string::npos) << text;
  EXPECT_EQ(run("").first, 1);
}

}  // namespace
}  // namespace convert_test
