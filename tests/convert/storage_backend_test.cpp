// Conversions of a body written to a file by the real storage backend
// (body_plan.h), in-process and by the qvb2mtx command. Expected numbers come
// from the plan. (The optimized body's edits are checked call by call on the
// fake backend, in side_outputs_test.)
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "body_plan.h"
#include "expected_invariants.h"
#include "mtx_reader.h"

#include "qvb.h"
#include "support/test_support.h"

namespace convert_test {
namespace {

class StorageBackendTest : public testing::Test {
 protected:
  void SetUp() override {
    QVB_Terminate();
    ASSERT_TRUE(qvbtest::writeBody(plan, file));
    body = QVB_CreateFromQVB(file.c_str());
    ASSERT_NE(body, nullptr);
  }
  void TearDown() override {
    QVB_Destroy(body);
    QVB_Terminate();
  }

  qvbtest::ScopedEnv plugins{"TRX_USER_PLUGIN_DIR", QVB_REAL_PLUGIN_DIR};
  qvbtest::TempDir dir;
  const qvbtest::BodyPlan plan = qvbtest::sampleBody(true);
  const std::string file = dir.file("plate.qvb");
  QVB_Handle body = nullptr;
};

TEST_F(StorageBackendTest, InvariantsFromNodalMassesNodesAndShapes) {
  qvbtest::Argv argv({"qvb2mtx", file});
  testing::internal::CaptureStdout();
  const int result = QVB_QVB2MTX(argv.argc(), argv.argv(), body);
  const std::string out = testing::internal::GetCapturedStdout();
  ASSERT_EQ(result, 0) << out;
  MtxFile mtx;
  const std::vector<std::string> problems = readMtx(dir.file("plate.mtx"), mtx);
  EXPECT_TRUE(problems.empty()) << testing::PrintToString(problems);
  EXPECT_EQ(mtx.headerLine.rfind("ORVIKMAT2 test body  KILOGRAM  METER  SECOND  NEWTON  TTTTTTTTT [", 0), 0u)
      << mtx.headerLine;
  ASSERT_NE(mtx.find("GENSTIFF"), nullptr);
  EXPECT_EQ(mtx.find("GENSTIFF")->counts[2], 4);  // none for the six rigid-body modes

  // SELNOD flags the interface nodes; T_MODE lists node-major shapes.
  std::vector<double> masses, selnod, tmode, i5, i9;
  std::vector<std::vector<std::array<double, 3>>> shapes(plan.modes.size());
  for (size_t p = 0; p < plan.nodes.size(); ++p) {
    const qvbtest::NodePlan &node = plan.nodes[p];
    masses.push_back(node.mass);
    const bool interface = node.id == plan.interfaceNodes[0] || node.id == plan.interfaceNodes[1];
    selnod.insert(selnod.end(), {double(node.id), node.xyz[0], node.xyz[1], node.xyz[2], interface ? 1.0 : 0.0});
    for (size_t m = 0; m < plan.modes.size(); ++m) {
      const qvbtest::Six &v = plan.modes[m].shape[p];
      shapes[m].push_back({v[0], v[1], v[2]});
      tmode.insert(tmode.end(), v.begin(), v.begin() + 3);
    }
  }
  qvbtest::expectedInvariants59(masses, shapes, i5, i9);
  expectValues(mtx.find("SELNOD"), selnod, 1e-13);
  expectValues(mtx.find("T_MODE"), tmode, 1e-13);
  expectValues(mtx.find("INVAR5"), i5, 1e-13);
  expectValues(mtx.find("INVAR9"), i9, 1e-13);
}

// The command: a body file converted with the plug-ins found beside the
// executable, every switch in its help, and a body it cannot open.
TEST_F(StorageBackendTest, Command) {
  qvbtest::ScopedEnv noPlugins("TRX_USER_PLUGIN_DIR", std::nullopt);
  const auto run = [this](const std::string &args) {
    const int status = std::system((QVB2MTX_COMMAND " " + args + " > " + dir.file("log") + " 2>&1").c_str());
    return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, qvbtest::readFile(dir.file("log")));
  };
  EXPECT_EQ(run("-Q " + file + "::1 -F -o " + dir.file("cmd")).first, 0);
  MtxFile mtx;
  EXPECT_TRUE(readMtx(dir.file("cmd.mtx"), mtx).empty());
  EXPECT_NE(mtx.headerLine.find("TTTTFTTTF [" + file + "::1@]"), std::string::npos) << mtx.headerLine;

  const auto [helpStatus, help] = run("--help");
  EXPECT_EQ(helpStatus, 0);
  for (const char *sw : {"-Q", "-o", "-m", "-l", "-t", "-f", "+N", "-N", "+M", "-M", "-S", "-F", "-E", "-L",
                         "-sscale", "-mscale", "-C", "-c", "-H", "-s", "-d", "-b", "-O", "-I", "-h"})
    EXPECT_NE(help.find(std::string("  ") + sw + " "), std::string::npos) << sw;
  const auto [status, text] = run(dir.file("missing.qvb"));
  EXPECT_EQ(status, 1);
  EXPECT_NE(text.find("qvb2mtx: cannot open the flexible body " + dir.file("missing.qvb")), std::string::npos) << text;
  EXPECT_EQ(run("").first, 2);  // no body: a usage error
}

}  // namespace
}  // namespace convert_test
