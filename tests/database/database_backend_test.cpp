// Databases through the public interface: bodies made by either backend are
// written under a name, counted, listed and reopened by index and by name.
// (Unusable databases and names are refused in the store's own tests and,
// through the library, in the selector table of body_selector_test.)
#include <gtest/gtest.h>

#include "body_plan.h"
#include "qvb.h"
#include "test_support.h"

namespace {

TEST(DatabaseBackend, BodiesOfBothBackendsShareADatabase) {
  qvbtest::TempDir dir;
  const std::string fleet = dir.file("fleet.master");
  qvbtest::BodyPlan wing = qvbtest::sampleBody(true), tail;
  wing.title = "wing";
  tail.title = "tail";
  tail.nodes = {wing.nodes[0]};
  ASSERT_TRUE(qvbtest::writeBody(wing, fleet + "::wing"));
  ASSERT_TRUE(qvbtest::writeBody(tail, fleet + "::tail"));

  // A body the database backend made, written back under a third name and,
  // through its own backend, into a body file.
  QVB_Handle fromDb = QVB_CreateFromQVB((fleet + "::wing").c_str());
  ASSERT_NE(fromDb, nullptr);
  ASSERT_NE(QVB_write_QVB(fromDb, (fleet + "::copy").c_str()), 0);
  ASSERT_NE(QVB_write_QVB(fromDb, dir.file("copy.qvb").c_str()), 0);

  EXPECT_EQ(QVB_BodyCount(fleet.c_str()), 3);
  const char *names[] = {"wing", "tail", "copy"};
  const int nodes[] = {8, 1, 8}, modes[] = {10, 0, 10};
  for (int i = 1; i <= 3; ++i) {
    QVB_BodyInfo info;
    ASSERT_EQ(QVB_GetBodyInfo(fleet.c_str(), i, &info), 1);
    EXPECT_STREQ(info.name, names[i - 1]);
    EXPECT_EQ(info.node_count, nodes[i - 1]);
    EXPECT_EQ(info.mode_count, modes[i - 1]);
    QVB_Handle byIndex = QVB_CreateFromFileByIndex(fleet.c_str(), i);
    ASSERT_NE(byIndex, nullptr);
    EXPECT_EQ(QVB_NodeCount(byIndex), nodes[i - 1]);
  }

  // Block for block the same body, whichever way it travelled.
  ASSERT_TRUE(qvbtest::writeBody(wing, dir.file("original.qvb")));
  EXPECT_EQ(qvbtest::readFile(dir.file("original.qvb")), qvbtest::readFile(dir.file("copy.qvb")));
  QVB_Handle reopened = QVB_CreateFromQVB((fleet + "::copy").c_str());
  ASSERT_NE(reopened, nullptr);
  double mass = 0, inertia[9], centre[3];
  QVB_TotalMassInertia(reopened, &mass, inertia, centre);
  EXPECT_DOUBLE_EQ(mass, wing.totalMass);
  double eigenvalue = 0;
  QVB_Eigenvalue(reopened, 10, &eigenvalue, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NEAR(eigenvalue, wing.modes[9].eigenvalue, 1e-9);
  QVB_Terminate();
}

}  // namespace
