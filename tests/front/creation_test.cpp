// Creating bodies and querying files: which backend slot each request
// reaches, with which arguments, and what gets registered.
#include <string>

#include "front_test.h"

namespace {

namespace slot = qvbfake::slot;

class CreationTest : public FrontTest {
 protected:
  // A registered body's calls reach its backend: IsValid asks slot 142.
  static bool registeredWith(QVB_Handle body, const std::string &backend) {
    qvbfake::setResult(slot::QVB_IsValid, 1);
    if (QVB_IsValid(body) == 0) return false;
    const auto check = qvbfake::lastCall(slot::QVB_IsValid);
    return check->backend == backend && check->args.at(0).pointer == body;
  }
};

TEST_F(CreationTest, FileRequestsReachTheirBackendsCreationSlot) {
  const struct {
    QVB_Handle (*create)();
    const char *backend;
    int slot;
    const char *file;
    int index;  // -1: the slot takes no index
  } requests[] = {
      {[] { return QVB_CreateFromQVB("part.qvb::3"); }, "qvbflex",
       slot::QVB_CreateFromFileByIndex, "part.qvb", -1},
      {[] { return QVB_CreateFromQVB("Part.QVB"); }, "qvbflex", slot::QVB_CreateFromFileByIndex,
       "Part.QVB", -1},
      {[] { return QVB_CreateFromQVB("db.master::3"); }, "dbvflex",
       slot::QVB_CreateFromFileByIndex_DB, "db.master", 3},
      {[] { return QVB_CreateFromQVB("db.master"); }, "dbvflex",
       slot::QVB_CreateFromFileByIndex_DB, "db.master", 1},
      // A body name cannot travel as an index: the whole specification goes.
      {[] { return QVB_CreateFromQVB("db.master::wing"); }, "dbvflex",
       slot::QVB_CreateFromFileByIndex_DB, "db.master::wing", 0},
      {[] { return QVB_CreateFromFileByIndex("p.qvb", 4); }, "qvbflex",
       slot::QVB_CreateFromFileByIndex, "p.qvb", -1},
      {[] { return QVB_CreateFromFileByIndex("d.master", 4); }, "dbvflex",
       slot::QVB_CreateFromFileByIndex_DB, "d.master", 4},
      {[] { return QVB_CreateFromFileByIndex_SurfaceMesh("p.qvb", 5); }, "qvbflex",
       slot::QVB_CreateFromFileByIndex_SurfaceMesh, "p.qvb", -1},
      {[] { return QVB_CreateFromFileByIndex_SurfaceMesh("d.MASTER", 5); }, "dbvflex",
       slot::QVB_CreateFromFileByIndex_SurfaceMesh_DB, "d.MASTER", 5},
  };
  for (const auto &request : requests) {
    SCOPED_TRACE(request.file);
    qvbfake::reset();
    const QVB_Handle expected = qvbfake::peekNextHandle();
    EXPECT_EQ(request.create(), expected);
    const auto call = onlyCall(request.slot);
    EXPECT_EQ(call.backend, request.backend);
    ASSERT_EQ(call.args.size(), request.index < 0 ? 1u : 2u);
    EXPECT_EQ(call.args[0].text, request.file);
    if (request.index >= 0) {
      EXPECT_EQ(call.args[1].i, request.index);
    }
    EXPECT_TRUE(registeredWith(expected, request.backend));
  }
  EXPECT_TRUE(messages().empty());
}

TEST_F(CreationTest, OtherFilesCreateNothingAndBindNothing) {
  EXPECT_EQ(QVB_CreateFromQVB("part.txt::2"), nullptr);
  EXPECT_EQ(QVB_CreateFromFileByIndex("part", 1), nullptr);
  EXPECT_EQ(QVB_CreateFromFileByIndex_SurfaceMesh("part.qvb.bak", 1), nullptr);
  EXPECT_EQ(QVB_FindQVB("part.bak", 1), nullptr);
  EXPECT_EQ(QVB_GetBodyInfo("part.bak", 1, nullptr), 0);
  EXPECT_EQ(QVB_CreateByType(1, 2, 2), nullptr);
  EXPECT_TRUE(qvbfake::calls().empty());
  EXPECT_TRUE(messages().empty());
}

TEST_F(CreationTest, CreateByTypePicksTheBackendByType) {
  for (int type : {0, 1}) {
    qvbfake::reset();
    QVB_Handle body = type == 0 ? QVB_Create(7, 8) : QVB_CreateByType(7, 8, 1);
    const auto call = onlyCall(slot::QVB_Create);
    const char *backend = type == 0 ? "qvbflex" : "dbvflex";
    EXPECT_EQ(call.backend, backend);
    EXPECT_EQ(call.args.at(0).i, 7);
    EXPECT_EQ(call.args.at(1).i, 8);
    EXPECT_TRUE(registeredWith(body, backend));
  }
}

TEST_F(CreationTest, FileQueriesPassTheBackendsAnswerBackAndRegisterNothing) {
  qvbfake::setResult(slot::QVB_BodyCount, 12);
  qvbfake::setResult(slot::QVB_GetBodyInfo, 77);
  double info[4];
  EXPECT_EQ(QVB_BodyCount("d.master"), 12);
  EXPECT_EQ(QVB_GetBodyInfo("d.master", 2, info), 77);
  const auto call = onlyCall(slot::QVB_GetBodyInfo);
  EXPECT_EQ(call.args.at(0).text, "d.master");
  EXPECT_EQ(call.args.at(1).i, 2);
  EXPECT_EQ(call.args.at(2).pointer, info);

  const QVB_Handle found = QVB_FindQVB("p.qvb", 3);
  EXPECT_EQ(onlyCall(slot::QVB_FindQVB).args.size(), 1u);
  const QVB_Handle inDatabase = QVB_FindQVB("d.master", 3);
  EXPECT_EQ(onlyCall(slot::QVB_CreateFromFileByIndex_DB).args.at(1).i, 3);
  EXPECT_EQ(QVB_IsValid(found), 0);
  EXPECT_EQ(QVB_IsValid(inDatabase), 0);
  EXPECT_EQ(qvbfake::countOf(slot::QVB_IsValid), 0u);
}

}  // namespace
