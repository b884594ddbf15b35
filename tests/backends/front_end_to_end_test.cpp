// Through the front library: libqvb.so binds qvbflex.so from
// TRX_USER_PLUGIN_DIR and opens bodies this backend wrote.
#include <gtest/gtest.h>

#include "qvb.h"
#include "test_support.h"

namespace {

class FrontEndToEnd : public ::testing::Test {
 protected:
  void TearDown() override { QVB_Terminate(); }
  qvbtest::TempDir dir;
};

TEST_F(FrontEndToEnd, OpensWhatItWrote) {
  QVB_Handle b = QVB_Create(2, 1);
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(QVB_SetUnits(b, "tonne", "mm", "s", "n"), 1);
  QVB_SetNodeCoordinates(b, 7, 1000.0, 0, 0);
  QVB_SetNodeCoordinates(b, 8, 0, 2000.0, 0);
  QVB_SetMode(b, 1, 7, 0, 1, 0, 0, 0, 0, 0);
  QVB_SetGeneralizedMass(b, 1, 1, 1.0);
  QVB_SetGeneralizedStiffness(b, 1, 1, 400.0);
  std::string file = dir.file("x.qvb");
  ASSERT_EQ(QVB_write_QVB(b, file.c_str()), 1);

  QVB_Handle reread = QVB_CreateFromQVB(file.c_str());
  ASSERT_NE(reread, nullptr);
  EXPECT_EQ(QVB_IsValid(reread), 1);
  EXPECT_EQ(QVB_NodeCount(reread), 2);
  EXPECT_EQ(QVB_Exists(reread, 6), 1);
  QVB_SetUnits(reread, "kg", "m", "s", "n");
  double xyz[3], omega2 = 0;
  QVB_NodeCoordinates(reread, 1, xyz);
  EXPECT_DOUBLE_EQ(xyz[1], 2.0);
  QVB_Eigenvalue(reread, 1, &omega2, nullptr, nullptr, nullptr, nullptr);
  EXPECT_DOUBLE_EQ(omega2, 400.0);
  int count = 0;
  int *interface = QVB_InterfaceNodeIDs(reread, &count);
  EXPECT_EQ(count, 0);
  QVB_FreeMemory(interface);
  EXPECT_EQ(QVB_BodyCount(file.c_str()), 1);
}

TEST_F(FrontEndToEnd, DamagedFilesGiveNoBody) {
  std::string file = dir.file("empty.qvb");
  std::fclose(std::fopen(file.c_str(), "wb"));
  EXPECT_EQ(QVB_CreateFromQVB(file.c_str()), nullptr);
  EXPECT_EQ(QVB_CreateFromQVB(dir.file("missing.qvb").c_str()), nullptr);
}

}  // namespace
