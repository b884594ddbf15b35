// The example beam coarsened by the writer, as a user runs it:
//   TRX_QVBWRITE_OPTIONS='coarsen(standard)' qvb2mtx beam.qvb -O coarse.qvb
// The coarse body keeps about a quarter of the nodes and its interface
// nodes, and hands the solver exactly the full body's invariants and
// generalized stiffness; the comparison sees fewer nodes and nothing else
// that matters. The same coarsening through the interpreter and the shipped
// script keeps the same nodes and faces, and both stores write it alike.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../convert/mtx_reader.h"
#include "qvb.h"
#include "test_support.h"

namespace {

class CoarsenedBeam : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new qvbtest::TempDir;
    ok_ = run("'" BEAM_TRANSLATOR "'") && run("TRX_QVBWRITE_OPTIONS='coarsen(standard)' '" QVB2MTX "' beam.qvb -O coarse.qvb") &&
          run("'" QVB2MTX "' beam.qvb") && run("'" QVB2MTX "' coarse.qvb") &&
          // Exit 1: the faces differ; the report is read below.
          run("'" QVBCOMPARE "' beam.qvb coarse.qvb -v 3 > compare.txt", 1);
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(ok_) << "a command failed; see the logs in the test folder";
    plugins_.emplace("TRX_USER_PLUGIN_DIR", QVB_PLUGIN_DIR);
  }
  void TearDown() override { QVB_Terminate(); }

  static bool run(const std::string &command, int status = 0) {
    const std::string line = "cd '" + dir_->path().string() + "' && (" + command + ") >> commands.log 2>&1";
    const int result = std::system(line.c_str());
    return WIFEXITED(result) && WEXITSTATUS(result) == status;
  }
  static std::string file(const std::string &name) { return dir_->file(name); }
  static std::string text(const std::string &name) {
    std::stringstream all;
    all << std::ifstream(file(name)).rdbuf();
    return all.str();
  }
  static QVB_Handle open(const std::string &name) {
    QVB_Handle body = QVB_CreateFromQVB(file(name).c_str());
    EXPECT_NE(body, nullptr) << name;
    return body;
  }
  static std::vector<int> nodes(QVB_Handle body) {
    std::vector<int> ids;
    for (int i = 0; i < QVB_NodeCount(body); ++i) ids.push_back(QVB_NodeID(body, i));
    return ids;
  }
  // The faces as node IDs (vertex count, then IDs), whatever the indices.
  static std::vector<int> faces(QVB_Handle body) {
    int count = 0, size = 0;
    QVB_FaceListSize(body, &count, &size);
    std::vector<int> list(size);
    if (size > 0) QVB_ElementFaces(body, list.data());
    for (size_t i = 0; i < list.size(); i += 1 + list[i])
      for (int k = 1; k <= list[i]; ++k) list[i + k] = QVB_NodeID(body, list[i + k]);
    return list;
  }

  static qvbtest::TempDir *dir_;
  static bool ok_;
  std::optional<qvbtest::ScopedEnv> plugins_;
};

qvbtest::TempDir *CoarsenedBeam::dir_ = nullptr;
bool CoarsenedBeam::ok_ = false;

TEST_F(CoarsenedBeam, KeepsAQuarterOfTheNodesAndItsInterfaceNodes) {
  QVB_Handle full = open("beam.qvb"), coarse = open("coarse.qvb");
  const int fullCount = QVB_NodeCount(full), coarseCount = QVB_NodeCount(coarse);
  EXPECT_EQ(fullCount, 369);
  EXPECT_GT(coarseCount, fullCount / 6);
  EXPECT_LT(coarseCount, fullCount / 3);
  int count = 0;
  int *interface = QVB_InterfaceNodeIDs(coarse, &count);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(interface[0], 1);
  EXPECT_EQ(interface[1], 41);
  QVB_FreeMemory(interface);
  EXPECT_GE(QVB_NodeIndex(coarse, 1), 0);
  EXPECT_GE(QVB_NodeIndex(coarse, 41), 0);

  // Faces on kept nodes only, each with three distinct nodes at least.
  const std::vector<int> list = faces(coarse);
  ASSERT_FALSE(list.empty());
  for (size_t i = 0; i < list.size(); i += 1 + list[i]) {
    EXPECT_GE(list[i], 3);
    for (int k = 1; k <= list[i]; ++k) EXPECT_GE(QVB_NodeIndex(coarse, list[i + k]), 0) << list[i + k];
  }
  char title[200] = {}, text2[200] = {}, text3[200] = {}, type[200] = {}, c1[200] = {}, c2[200] = {},
       c3[200] = {};
  QVB_Header(coarse, title, text2, text3, type, c1, c2, c3);
  EXPECT_EQ(std::string(c3), "coarsened from 369 nodes");
}

TEST_F(CoarsenedBeam, ConverterWritesTheSameInvariantsAndStiffness) {
  convert_test::MtxFile full, coarse;
  ASSERT_EQ(convert_test::readMtx(file("beam.mtx"), full), std::vector<std::string>{});
  ASSERT_EQ(convert_test::readMtx(file("coarse.mtx"), coarse), std::vector<std::string>{});
  for (const char *name : {"INVAR1", "INVAR2", "INVAR3", "INVAR4", "INVAR5", "INVAR6", "INVAR7", "INVAR8", "INVAR9",
                           "GENSTIFF"}) {
    SCOPED_TRACE(name);
    const convert_test::MtxMatrix *a = full.find(name), *b = coarse.find(name);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->text, b->text);
  }
}

TEST_F(CoarsenedBeam, ComparisonSeesTheNodeCountAndNoPhysicalDifference) {
  const std::string report = text("compare.txt");
  EXPECT_NE(report.find("->Warning NodeCount base: 369  new: "), std::string::npos) << report;
  for (const char *pass : {"  Pass TotalMass", "  Pass TotalI", "  Pass TotalCM", "  Pass Frequency",
                           "  Pass GeneralizedStiff", "  Pass GeneralizedMass", "  Pass NodeCoordinates",
                           "  Pass NodalMass", "  Pass Invar1", "  Pass Invar2", "  Pass Invar3", "  Pass Invar4",
                           "  Pass Invar5", "  Pass Invar7", "  Pass Invar8", "  Pass Invar9"})
    EXPECT_NE(report.find(pass), std::string::npos) << pass << "\n" << report;
  // The faces are the one difference the comparison fails on.
  std::istringstream lines(report);
  std::vector<std::string> failures;
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("->Fail", 0) == 0) failures.push_back(line);
  EXPECT_EQ(failures, std::vector<std::string>{"->Fail FaceList"}) << report;
}

// Both stores write the coarsened body alike: a body read from a database
// (the database backend's writer) and one read from a body file.
TEST_F(CoarsenedBeam, BothStoresWriteTheSameCoarseBody) {
  QVB_Handle full = open("beam.qvb");
  ASSERT_NE(QVB_write_QVB(full, file("fleet.master::beam").c_str()), 0);
  QVB_Handle stored = open("fleet.master::beam");
  ASSERT_NE(stored, nullptr);
  qvbtest::ScopedEnv options("TRX_QVBWRITE_OPTIONS", "coarsen(standard)");
  ASSERT_NE(QVB_write_QVB(stored, file("coarse.master::beam").c_str()), 0);
  ASSERT_NE(QVB_write_QVB(stored, file("from_database.qvb").c_str()), 0);
  ASSERT_NE(QVB_write_QVB(full, file("fleet.master::coarse").c_str()), 0);

  QVB_Handle reference = open("coarse.qvb");
  for (const char *name : {"coarse.master::beam", "from_database.qvb", "fleet.master::coarse"}) {
    SCOPED_TRACE(name);
    QVB_Handle body = open(name);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(nodes(body), nodes(reference));
    EXPECT_EQ(faces(body), faces(reference));
    EXPECT_EQ(QVB_Invar1(body), QVB_Invar1(reference));
  }
}

#ifdef QVB_TOLVANE_DIR
// adv_coarsen runs the shipped script, which writes a sketch that the writer
// then reads: the same nodes and faces as the writer's own coarsening.
TEST_F(CoarsenedBeam, ShippedScriptKeepsTheSameNodesAndFaces) {
  ASSERT_TRUE(run("PYTHONPATH='" QVB_TOLVANE_DIR "' PYTHONDONTWRITEBYTECODE=1 "
                  "TRX_QVBWRITE_OPTIONS='adv_coarsen(standard, 0)' '" QVB2MTX "' beam.qvb -O script.qvb"));
  EXPECT_NE(text("script.ske").find("\nNODES "), std::string::npos);
  QVB_Handle script = open("script.qvb"), native = open("coarse.qvb");
  EXPECT_EQ(nodes(script), nodes(native));
  EXPECT_EQ(faces(script), faces(native));
}
#endif

}  // namespace
