// Databases through the public interface: bodies made by either backend are
// written under a name, counted, listed and reopened by index and by name.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "qvb.h"
#include "test_support.h"

namespace {

std::string fileBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A small body with nodes, masses, two modes and generalized matrices.
QVB_Handle makeBody(const char *title, int nodes) {
  QVB_Handle h = QVB_Create(nodes, 2);
  EXPECT_NE(h, nullptr);
  EXPECT_NE(QVB_SetHeader(h, title, "test", "TEST", "", "", ""), 0);
  EXPECT_NE(QVB_SetUnits(h, "kg", "mm", "s", "mn"), 0);
  for (int i = 0; i < nodes; ++i) {
    EXPECT_NE(QVB_SetNodeCoordinates(h, 10 + i, i * 1.5, 0.0, -i * 0.5), 0);
    EXPECT_NE(QVB_SetNodalMass(h, 10 + i, 0.25 + i), 0);
    for (int mode = 1; mode <= 2; ++mode)
      EXPECT_NE(QVB_SetMode(h, mode, 10 + i, 0, mode * 0.1 * i, 0.2, 0.0, 0.0, 0.0, 0.01 * i), 0);
  }
  for (int mode = 1; mode <= 2; ++mode) {
    EXPECT_NE(QVB_SetGeneralizedMass(h, mode, mode, 1.0), 0);
    EXPECT_NE(QVB_SetGeneralizedStiffness(h, mode, mode, 1000.0 * mode * mode), 0);
  }
  return h;
}

class DatabaseBackend : public ::testing::Test {
 protected:
  void TearDown() override { QVB_Terminate(); }
  qvbtest::TempDir dir;
};

TEST_F(DatabaseBackend, BodiesOfBothBackendsShareADatabase) {
  const std::string fleet = dir.file("fleet.master");
  QVB_Handle wing = makeBody("wing", 4);
  ASSERT_NE(QVB_write_QVB(wing, (fleet + "::wing").c_str()), 0);
  ASSERT_NE(QVB_write_QVB(makeBody("tail", 3), (fleet + "::tail").c_str()), 0);

  // A body the database backend made, written back under a third name and,
  // through its own backend, into a body file.
  QVB_Handle fromDb = QVB_CreateFromQVB((fleet + "::wing").c_str());
  ASSERT_NE(fromDb, nullptr);
  ASSERT_NE(QVB_write_QVB(fromDb, (fleet + "::copy").c_str()), 0);
  ASSERT_NE(QVB_write_QVB(fromDb, dir.file("copy.qvb").c_str()), 0);

  EXPECT_EQ(QVB_BodyCount(fleet.c_str()), 3);
  const char *names[] = {"wing", "tail", "copy"};
  const int nodes[] = {4, 3, 4};
  for (int i = 1; i <= 3; ++i) {
    QVB_BodyInfo info;
    ASSERT_EQ(QVB_GetBodyInfo(fleet.c_str(), i, &info), 1);
    EXPECT_STREQ(info.name, names[i - 1]);
    EXPECT_EQ(info.node_count, nodes[i - 1]);
    EXPECT_EQ(info.mode_count, 2);
    QVB_Handle byIndex = QVB_CreateFromFileByIndex(fleet.c_str(), i);
    ASSERT_NE(byIndex, nullptr);
    EXPECT_EQ(QVB_NodeCount(byIndex), nodes[i - 1]);
  }

  // Block for block the same body, whichever way it travelled.
  ASSERT_NE(QVB_write_QVB(wing, dir.file("original.qvb").c_str()), 0);
  EXPECT_EQ(fileBytes(dir.file("original.qvb")), fileBytes(dir.file("copy.qvb")));
  QVB_Handle reopened = QVB_CreateFromQVB((fleet + "::copy").c_str());
  ASSERT_NE(reopened, nullptr);
  double mass = 0, inertia[9], centre[3];
  QVB_TotalMassInertia(reopened, &mass, inertia, centre);
  EXPECT_DOUBLE_EQ(mass, 0.25 + 1.25 + 2.25 + 3.25);
  double e1 = 0;
  QVB_Eigenvalue(reopened, 2, &e1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NEAR(e1, 4000.0, 1e-9);
}

TEST_F(DatabaseBackend, BadDatabasesGiveAMessageAndNoBody) {
  std::string captured;
  static std::string *sink = nullptr;
  sink = &captured;
  QVB_SetMsgHandler([](const char *message, int) { *sink += message; });
  const std::string text = dir.file("notes.master");
  std::ofstream(text) << "plain text, not a database";
  EXPECT_EQ(QVB_CreateFromQVB(text.c_str()), nullptr);
  EXPECT_EQ(QVB_BodyCount(text.c_str()), -1);
  EXPECT_EQ(QVB_CreateFromQVB(dir.file("missing.master").c_str()), nullptr);
  const std::string fleet = dir.file("fleet.master");
  ASSERT_NE(QVB_write_QVB(makeBody("wing", 2), (fleet + "::wing").c_str()), 0);
  EXPECT_EQ(QVB_CreateFromQVB((fleet + "::rudder").c_str()), nullptr);
  EXPECT_EQ(QVB_CreateFromFileByIndex(fleet.c_str(), 9), nullptr);
  QVB_BodyInfo info;
  EXPECT_EQ(QVB_GetBodyInfo(fleet.c_str(), 0, &info), 0);
  QVB_SetMsgHandler(nullptr);
  EXPECT_NE(captured.find("not a body database"), std::string::npos) << captured;
  EXPECT_NE(captured.find("rudder"), std::string::npos) << captured;
}

}  // namespace
