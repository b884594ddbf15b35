// Bodies written to a file and read back, block by block, and the files that
// hold several bodies.
#include <gtest/gtest.h>

#include "backend_fixture.h"
#include "test_support.h"

namespace qvbtest {
namespace {

class RoundTrip : public ::testing::Test {
 protected:
  void TearDown() override { flex().QVB_Terminate(); }
  const s_FLEX_INTERFACE &f = flex();
  TempDir dir;
};

TEST_F(RoundTrip, EveryBlockSurvivesAFileAndTheSurfaceMeshReadsAlone) {
  QVB_Handle original = buildFullBody("kg", "m", 1.0, 1.0);
  std::string file = dir.file("full.qvb");
  ASSERT_EQ(f.QVB_write_QVB(original, file.c_str()), 1);
  QVB_Handle reread = f.QVB_CreateFromFileByIndex(file.c_str());
  ASSERT_NE(reread, nullptr) << (messages().empty() ? "" : messages().back());
  for (int block = 1; block <= 37; ++block) {
    if (block == 33) continue;
    bool expected = block != 5 && block != 30;  // no element topology, statistics are derived
    EXPECT_EQ(f.QVB_Exists(original, block - 1), expected ? 1 : 0) << "block " << block;
    EXPECT_EQ(f.QVB_Exists(reread, block - 1), expected ? 1 : 0) << "block " << block;
    EXPECT_EQ(contents(reread, block), contents(original, block)) << "block " << block;
  }
  // Derived answers come out the same too.
  double e[2][5];
  f.QVB_Eigenvalue(original, 7, &e[0][0], &e[0][1], &e[0][2], &e[0][3], &e[0][4]);
  f.QVB_Eigenvalue(reread, 7, &e[1][0], &e[1][1], &e[1][2], &e[1][3], &e[1][4]);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(e[0][k], e[1][k]);
  EXPECT_EQ(e[0][0], 900.0 / 3.0);

  // The surface mesh alone: nodes, faces and interface nodes, no modes.
  QVB_Handle mesh = f.QVB_CreateFromFileByIndex_SurfaceMesh(file.c_str());
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(f.QVB_NodeCount(mesh), 4);
  EXPECT_EQ(f.QVB_ModeCount(mesh), 0);
  int faces = 0, size = 0;
  f.QVB_FaceListSize(mesh, &faces, &size);
  EXPECT_EQ(faces, 2);
  EXPECT_EQ(size, 8);
  int count = 0;
  EXPECT_EQ(take(f.QVB_InterfaceNodeIDs(mesh, &count), 2), (std::vector<int>{10, 12}));
  EXPECT_EQ(f.QVB_Exists(mesh, 8), 0);
}

TEST_F(RoundTrip, SeveralBodiesInOneFile) {
  QVB_Handle first = buildFullBody("kg", "m", 1.0, 1.0);
  QVB_Handle second = f.QVB_Create(0, 0);
  f.QVB_SetNodeCoordinates(second, 99, 1, 2, 3);
  std::string file = dir.file("pair.qvb");
  ASSERT_EQ(f.QVB_write_QVB(first, file.c_str()), 1);
  ASSERT_EQ(f.QVB_write_QVB(second, (file + "::2").c_str()), 1);
  EXPECT_EQ(f.QVB_BodyCount(file.c_str()), 2);

  // Body 2 by the selector in the name (as a caller that does not parse it
  // passes it) and by index; body 1 as before.
  for (QVB_Handle b : {f.QVB_CreateFromFileByIndex((file + "::2").c_str()),
                       f.QVB_CreateFromFileByIndex_DB(file.c_str(), 2)}) {
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(f.QVB_NodeCount(b), 1);
    EXPECT_EQ(f.QVB_NodeID(b, 0), 99);
  }
  QVB_Handle again = f.QVB_CreateFromFileByIndex(file.c_str());
  EXPECT_EQ(contents(again, 8), contents(first, 8));

  // Replacing body 1 keeps body 2; a gap is refused and changes nothing.
  ASSERT_EQ(f.QVB_write_QVB(second, (file + "::1").c_str()), 1);
  EXPECT_EQ(f.QVB_NodeCount(f.QVB_CreateFromFileByIndex(file.c_str())), 1);
  EXPECT_EQ(f.QVB_NodeCount(f.QVB_CreateFromFileByIndex_DB(file.c_str(), 2)), 1);
  messages().clear();
  EXPECT_EQ(f.QVB_write_QVB(first, (file + "::4").c_str()), 0);
  EXPECT_TRUE(anyMessageContains("holds 2 bodies"));
  EXPECT_EQ(f.QVB_CreateFromFileByIndex_DB(file.c_str(), 3), nullptr);
  EXPECT_TRUE(anyMessageContains("there is no body 3"));

  // A plain name makes the file hold one body again.
  ASSERT_EQ(f.QVB_write_QVB(first, file.c_str()), 1);
  EXPECT_EQ(f.QVB_BodyCount(file.c_str()), 1);
}

TEST_F(RoundTrip, FixedLengthNamesWithTrailingBlanks) {
  QVB_Handle b = buildFullBody("kg", "m", 1.0, 1.0);
  std::string file = dir.file("blank.qvb");
  ASSERT_EQ(f.QVB_write_QVB(b, (file + "      ").c_str()), 1);
  EXPECT_NE(f.QVB_CreateFromFileByIndex((file + "   ").c_str()), nullptr);
}

}  // namespace
}  // namespace qvbtest
