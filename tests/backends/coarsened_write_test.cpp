// Writes under the writer options: a body reduced to a sketch keeps exactly
// the sketch's nodes and faces (and its interface nodes), keeps every whole-
// body quantity of the full body, and a sketch that cannot be used leaves the
// target file as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "backend_fixture.h"
#include "body.h"
#include "support/test_support.h"
#include "writer_options.h"

namespace {

using qvbtest::contents;
using qvbtest::flex;
using qvbtest::readFile;
using qvbtest::take;
using qvbtest::writeFile;

std::vector<int> nodeIds(QVB_Handle b) {
  std::vector<int> ids;
  for (int i = 0; i < flex().QVB_NodeCount(b); ++i) ids.push_back(flex().QVB_NodeID(b, i));
  return ids;
}

class CoarsenedWrite : public testing::Test {
 protected:
  void TearDown() override {
    for (QVB_Handle b : opened_) flex().QVB_Destroy(b);
  }
  QVB_Handle keep(QVB_Handle b) {
    opened_.push_back(b);
    return b;
  }
  // Writes `body` to `name` with the writer options; the written body, or
  // null when the write failed.
  QVB_Handle writeAndRead(QVB_Handle body, const std::string &options, const std::string &name) {
    qvbtest::ScopedEnv env("TRX_QVBWRITE_OPTIONS", options);
    qvbtest::messages().clear();
    const std::string file = dir_.file(name);
    if (flex().QVB_write_QVB(body, file.c_str()) == 0) return nullptr;
    return keep(flex().QVB_CreateFromFileByIndex(file.c_str()));
  }
  std::string sketch(const std::string &name, const std::string &text) {
    writeFile(dir_.file(name), text);
    return dir_.file(name);
  }
  qvbtest::TempDir dir_;
  std::vector<QVB_Handle> opened_;
};

TEST_F(CoarsenedWrite, SketchGivesItsNodesAndFacesAndTheWholeBodyStaysExact) {
  QVB_Handle full = keep(qvbtest::buildFullBody("kg", "m", 1.0, 1.0));
  // Node 13 goes.
  const std::string file = sketch("hand.ske", "# by hand\nNODES 3\n11 1 0 0\n10\n\n12\nFACES 1\n1 3 10 11 12\nEND\n");
  QVB_Handle coarse = writeAndRead(full, "sketch(" + file + ")", "coarse.qvb");
  ASSERT_NE(coarse, nullptr) << (qvbtest::messages().empty() ? "" : qvbtest::messages()[0]);

  EXPECT_EQ(nodeIds(coarse), (std::vector<int>{10, 11, 12}));
  int faces = 0, size = 0;
  flex().QVB_FaceListSize(coarse, &faces, &size);
  std::vector<int> list(size);
  flex().QVB_ElementFaces(coarse, list.data());
  EXPECT_EQ(list, (std::vector<int>{3, 0, 1, 2}));  // vertex indices in the coarse body
  int count = 0;
  EXPECT_EQ(take(flex().QVB_InterfaceNodeIDs(coarse, &count), 2), (std::vector<int>{10, 12}));

  // Whole-body blocks: the dumps are identical.
  for (int block : {qvb::body::kGlobalBodyProps, qvb::body::kEigenvalues, qvb::body::kGeneralizedStiff,
                    qvb::body::kGeneralizedMass, qvb::body::kGeneralizedDamping, qvb::body::kModeShapeTransformation,
                    qvb::body::kInvar1, qvb::body::kInvar2, qvb::body::kInvar3, qvb::body::kInvar4, qvb::body::kInvar5,
                    qvb::body::kInvar7, qvb::body::kInvar8, qvb::body::kInvar9, qvb::body::kPreload,
                    qvb::body::kModalLoads, qvb::body::kMatrixOperator, qvb::body::kRotorDynamics})
    EXPECT_EQ(contents(coarse, block), contents(full, block)) << qvb::body::blockName(block);

  // Node data: the kept nodes' values, nothing of node 13.
  EXPECT_EQ(flex().QVB_NodalMass(coarse, 1), flex().QVB_NodalMass(full, 1));
  const std::string shapes = contents(coarse, qvb::body::kModeShapes);
  EXPECT_EQ(shapes.find("      13 "), std::string::npos) << shapes;
  EXPECT_NE(contents(coarse, qvb::body::kPreStress).find("      11 "), std::string::npos);
  EXPECT_NE(contents(coarse, qvb::body::kModalLoadNodal).find("      12  5"), std::string::npos);
  const std::string monitor = contents(coarse, qvb::body::kMonitorPoint);
  EXPECT_NE(monitor.find("nodes (1): 10\n"), std::string::npos) << monitor;
  EXPECT_NE(monitor.find("operator 1: 1.0"), std::string::npos) << monitor;
  EXPECT_EQ(monitor.find("4.0"), std::string::npos) << monitor;  // the row of node 13

  EXPECT_NE(contents(coarse, qvb::body::kContentSummary).find("3 nodes, 3 modes, coarsened 1"), std::string::npos);
  EXPECT_NE(contents(coarse, qvb::body::kHeaderBlock).find("\"coarsened from 4 nodes; c3\""), std::string::npos);
}

// A body whose invariants, global properties and generalized mass all come
// from its nodes: the coarse body stores them, as the full body gave them.
TEST_F(CoarsenedWrite, ComputedInvariantsAreStoredFromAllNodes) {
  const s_FLEX_INTERFACE &f = flex();
  QVB_Handle full = keep(f.QVB_Create(6, 2));
  for (int n = 0; n < 6; ++n) {
    const int id = 1 + n;
    f.QVB_SetNodeCoordinates(full, id, n, 0.5 * n * n, 1.0 - n);
    f.QVB_SetNodalMass(full, id, 1.0 + n);
    f.QVB_SetNodalInertia(full, id, 0.1, 0.2, 0.3 + n, 0.01, 0.0, 0.02);
    for (int m = 1; m <= 2; ++m)
      f.QVB_SetMode(full, m, id, 0, 0.1 * m + n, -0.2 * n, m * 0.3, 0.01 * n, 0.02 * m, -0.03);
  }
  f.QVB_SetGeneralizedStiffness(full, 1, 1, 40.0);
  f.QVB_SetGeneralizedStiffness(full, 2, 2, 90.0);
  int quad[4] = {1, 2, 3, 4};
  f.QVB_SetFaceList(full, 4, quad);
  f.QVB_SetInterfaceNode(full, 6);

  const std::string file = sketch("quad.ske", "NODES 4\n1\n2\n3\n4\nFACES 1\n1 4 1 2 3 4\nEND\n");
  QVB_Handle coarse = writeAndRead(full, "sketch(" + file + ")", "coarse.qvb");
  ASSERT_NE(coarse, nullptr);
  EXPECT_EQ(nodeIds(coarse), (std::vector<int>{1, 2, 3, 4, 6}));

  EXPECT_EQ(qvbtest::allInvariants(coarse), qvbtest::allInvariants(full));
  for (int i = 0; i < 2; ++i) {
    // Eigenvalue, frequencies and generalized stiffness stay. The full body
    // reports a unit generalized mass (it has none) yet computes invariant 6
    // from its nodes; the coarse body stores the latter as its generalized mass.
    double a[5], b[5];
    f.QVB_Eigenvalue(full, i + 1, &a[0], &a[1], &a[2], &a[3], &a[4]);
    f.QVB_Eigenvalue(coarse, i + 1, &b[0], &b[1], &b[2], &b[3], &b[4]);
    a[3] = b[3] = 0.0;
    EXPECT_EQ(std::vector<double>(a, a + 5), std::vector<double>(b, b + 5)) << "mode " << i + 1;
  }
  double fullMass, coarseMass, fullInertia[9], coarseInertia[9], fullCentre[3], coarseCentre[3];
  f.QVB_TotalMassInertia(full, &fullMass, fullInertia, fullCentre);
  f.QVB_TotalMassInertia(coarse, &coarseMass, coarseInertia, coarseCentre);
  EXPECT_EQ(coarseMass, fullMass);
  EXPECT_EQ(std::vector<double>(coarseInertia, coarseInertia + 9), std::vector<double>(fullInertia, fullInertia + 9));
  EXPECT_EQ(std::vector<double>(coarseCentre, coarseCentre + 3), std::vector<double>(fullCentre, fullCentre + 3));
  // Stored, not recomputed from the five remaining nodes.
  for (int block : {qvb::body::kInvar1, qvb::body::kInvar5, qvb::body::kInvar9, qvb::body::kGlobalBodyProps})
    EXPECT_EQ(f.QVB_Exists(coarse, block - 1), 1) << qvb::body::blockName(block);
}

TEST_F(CoarsenedWrite, UnusableSketchFailsTheWriteAndLeavesTheFileAlone) {
  QVB_Handle full = keep(qvbtest::buildFullBody("kg", "m", 1.0, 1.0));
  const std::string target = dir_.file("kept.qvb");
  ASSERT_NE(flex().QVB_write_QVB(full, target.c_str()), 0);
  const std::string database = dir_.file("kept.master");
  ASSERT_NE(flex().QVB_write_QVB_DB(full, database.c_str(), "wing"), 0);
  const std::string before = readFile(target), databaseBefore = readFile(database);
  const struct {
    const char *text;  // null: no such file
    const char *expected;
  } cases[] = {
      {nullptr, "cannot be read"},
      {"", ", line 1: is empty"},
      {"# only a comment\n", ", line 2: is empty"},
      {"this is no sketch\n", ", line 1: not a sketch"},
      {"NODES 3\n10\n11\n", ", line 4: the sketch ends where node 3 of 3 should follow (truncated)"},
      {"NODES 1\n10\nFACES 1\n1 3 10 11 12\nEND\n", ", line 4: the face uses node 11, which is not listed"},
      {"NODES 1\n10\nFACES 2\n1 1 10\n", ", line 5: the sketch ends where face 2 of 2"},
      {"NODES 1\n10\nFACES 0\n", ", line 4: the sketch ends where END should follow"},
      {"NODES 1\n10\nFACES 0\nEND\nNODES 1\n", ", line 5: text after END"},
      {"NODES 1\n10\nFACES 1\n1 4 10\nEND\n", ", line 4: expected a face"},
      {"NODES 2\n10 0 0\n11\nFACES 0\nEND\n", ", line 2: expected a node"},
      {"NODES 2\n10\n10\nFACES 0\nEND\n", ", line 3: node 10 is listed twice"},
      {"NODES 2\n10\n99\nFACES 0\nEND\n", ", line 3: node 99 is not a node of the body"},
  };
  int number = 0;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.expected);
    const std::string file = dir_.file("bad" + std::to_string(++number) + ".ske");
    if (c.text) writeFile(file, c.text);
    qvbtest::ScopedEnv env("TRX_QVBWRITE_OPTIONS", "sketch(" + file + ")");
    qvbtest::messages().clear();
    EXPECT_EQ(flex().QVB_write_QVB(full, target.c_str()), 0);
    ASSERT_EQ(qvbtest::messages().size(), 1u);
    const std::string &message = qvbtest::messages()[0];
    EXPECT_EQ(message.rfind("E: " + target + " was not written: ", 0), 0u) << message;
    EXPECT_NE(message.find(file), std::string::npos) << message;
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    EXPECT_EQ(readFile(target), before);
    // The database writer refuses alike.
    qvbtest::messages().clear();
    EXPECT_EQ(flex().QVB_write_QVB_DB(full, database.c_str(), "wing"), 0);
    ASSERT_EQ(qvbtest::messages().size(), 1u);
    EXPECT_EQ(qvbtest::messages()[0].rfind("E: " + database + " was not written: " + (c.text ? file : "the sketch"), 0), 0u)
        << qvbtest::messages()[0];
    EXPECT_EQ(readFile(database), databaseBefore);
  }
}

// A slender tube (41 rings of 8 nodes, 1 m long, 40 mm across) with 20 modes,
// like the example beam: the aggressive level's share of nodes would merge
// every face of it.
QVB_Handle slenderTube() {
  QVB_Handle b = flex().QVB_Create(328, 20);
  for (int ring = 0; ring < 41; ++ring)
    for (int k = 0; k < 8; ++k) {
      const double angle = 2.0 * M_PI * k / 8;
      flex().QVB_SetNodeCoordinates(b, 1000 + 8 * ring + k, ring / 40.0, 0.02 * std::cos(angle),
                                    0.02 * std::sin(angle));
    }
  for (int ring = 0; ring < 40; ++ring)
    for (int k = 0; k < 8; ++k) {
      int face[4] = {1000 + 8 * ring + k, 1000 + 8 * ring + (k + 1) % 8, 1000 + 8 * (ring + 1) + (k + 1) % 8,
                     1000 + 8 * (ring + 1) + k};
      flex().QVB_SetFaceList(b, 4, face);
    }
  for (int mode = 1; mode <= 20; ++mode) {
    for (int id = 1000; id < 1328; ++id)
      flex().QVB_SetMode(b, mode, id, 0, std::sin(mode * id), 0.0, 1.0, 0.0, 0.0, 0.0);
    flex().QVB_SetGeneralizedMass(b, mode, mode, 1.0);
    flex().QVB_SetGeneralizedStiffness(b, mode, mode, 100.0 * mode * mode);
  }
  return b;
}

// Every level keeps a surface with faces (and so nodes to carry the modes);
// a cell size that merges every face is refused with the reason.
TEST_F(CoarsenedWrite, EveryLevelKeepsAUsableSurface) {
  QVB_Handle full = keep(slenderTube());
  for (const char *level : {"light", "standard", "aggressive"}) {
    SCOPED_TRACE(level);
    QVB_Handle coarse = writeAndRead(full, std::string("coarsen(") + level + ")", "tube.qvb");
    ASSERT_NE(coarse, nullptr) << (qvbtest::messages().empty() ? "" : qvbtest::messages()[0]);
    int faces = 0, listSize = 0;
    flex().QVB_FaceListSize(coarse, &faces, &listSize);
    EXPECT_GT(faces, 0);
    EXPECT_GT(flex().QVB_NodeCount(coarse), 0);
    EXPECT_LT(flex().QVB_NodeCount(coarse), 328);
    EXPECT_LE(flex().QVB_ModeCount(coarse), 6 * flex().QVB_ModeNodeCount(coarse, 0));
  }
  EXPECT_EQ(writeAndRead(full, "coarsen(aggressive, 5)", "refused.qvb"), nullptr);
  ASSERT_EQ(qvbtest::messages().size(), 1u);
  EXPECT_NE(qvbtest::messages()[0].find("merge every face of the surface"), std::string::npos)
      << qvbtest::messages()[0];
}

TEST_F(CoarsenedWrite, OptionsTheWriterCannotHonour) {
  QVB_Handle full = keep(qvbtest::buildFullBody("kg", "m", 1.0, 1.0));
  // Unknown options are named in a warning; the write goes on unchanged.
  QVB_Handle same = writeAndRead(full, "fast_invar other(1) adv_coarsen(light,0)", "same.qvb");
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(flex().QVB_NodeCount(same), 4);
  ASSERT_EQ(qvbtest::messages().size(), 1u);
  EXPECT_EQ(qvbtest::messages()[0],
            "W: TRX_QVBWRITE_OPTIONS: the body writer ignores fast_invar, other(1), adv_coarsen(light,0)");

  const struct {
    const char *options, *error;
  } refused[] = {
      {"adv_coarsen(light,0) coarsen(light)", "adv_coarsen and coarsen are both specified"},
      {"coarsen(light) sketch(a.ske)", "sketch(...) and coarsen(...) both choose the nodes to keep"},
      {"coarsen(light) coarsen(standard)", "coarsen(...) is given more than once"},
      {"coarsen(std)", "coarsen: unknown level std"},
      {"coarsen(light, -1)", "coarsen: the cell size -1 is not a length of 0 or more"},
      {"coarsen(light, 1, 2)", "takes a level and an optional cell size"},
      {"coarsen(light, 1e-300)", "the body cannot be coarsened: the cell size"},
      {"sketch( )", "sketch() names no sketch file"},
      {"sketch(a.ske", "has no closing parenthesis"},
  };
  for (const auto &c : refused) {
    SCOPED_TRACE(c.options);
    EXPECT_EQ(writeAndRead(full, c.options, "refused.qvb"), nullptr);
    ASSERT_EQ(qvbtest::messages().size(), 1u);
    EXPECT_NE(qvbtest::messages()[0].find(c.error), std::string::npos) << qvbtest::messages()[0];
  }
  // Levels read as adv_coarsen reads them; the value is a cell edge length.
  const qvb::coarsening::WriterOptions options = qvb::coarsening::parseWriterOptions(" ,coarsen(Aggressively, 2.5e-1)");
  EXPECT_TRUE(options.coarsen && options.error.empty() && options.ignored.empty());
  EXPECT_EQ(options.level, qvb::coarsening::kAggressive);
  EXPECT_EQ(options.value, 0.25);
}

}  // namespace
