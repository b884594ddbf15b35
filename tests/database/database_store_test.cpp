// The database store on its own: bodies kept by name, numbered in the order
// they were first written, replaced inside one transaction.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "block_codec.h"
#include "body_database.h"
#include "test_support.h"

namespace {

using qvb::body::Body;
using qvb::body::encodeBody;
namespace db = qvb::database;

std::unique_ptr<Body> makeBody(const std::string &title, int nodes) {
  auto b = std::make_unique<Body>();
  b->header.title = title;
  for (int i = 0; i < nodes; ++i) {
    int index = b->ensureNode(100 + i);
    b->coordinates[3 * index] = 0.1 * i;
    b->coordinates[3 * index + 2] = -2.5 * i;
  }
  b->nodalMass.assign(nodes, 0.5);
  return b;
}

void expectSameBlocks(const Body &a, const Body &b) {
  EXPECT_EQ(encodeBody(a), encodeBody(b));
}

TEST(DatabaseStore, WritesCountsAndReadsBackByIndexAndName) {
  qvbtest::TempDir dir;
  const std::string path = dir.file("fleet.master");
  std::string error;
  auto wing = makeBody("wing", 3), tail = makeBody("tail", 5), nose = makeBody("", 2);
  ASSERT_TRUE(db::writeBody(path, *wing, "*", &error)) << error;
  ASSERT_TRUE(db::writeBody(path, *tail, "tail", &error)) << error;
  ASSERT_TRUE(db::writeBody(path, *nose, "*", &error)) << error;  // no title: "body"
  EXPECT_EQ(db::bodyCount(path, &error), 3);

  db::BodyInfo info;
  ASSERT_TRUE(db::bodyInfo(path, 2, &info, &error)) << error;
  EXPECT_EQ(info.name, "tail");
  EXPECT_EQ(info.nodeCount, 5);
  EXPECT_EQ(info.modeCount, 0);
  EXPECT_EQ(info.created.size(), 20u);
  ASSERT_TRUE(db::bodyInfo(path, 3, &info, &error));
  EXPECT_EQ(info.name, "body");
  EXPECT_FALSE(db::bodyInfo(path, 4, &info, &error));

  auto byIndex = db::readBody(path, 1, "", false, &error);
  ASSERT_TRUE(byIndex) << error;
  expectSameBlocks(*wing, *byIndex);
  auto byName = db::readBody(path, 0, "tail", false, &error);
  ASSERT_TRUE(byName) << error;
  expectSameBlocks(*tail, *byName);
  EXPECT_FALSE(db::readBody(path, 0, "rudder", false, &error));
  EXPECT_NE(error.find("rudder"), std::string::npos);
}

TEST(DatabaseStore, OverwriteKeepsTheNumberAndAFailedWriteLosesNothing) {
  qvbtest::TempDir dir;
  const std::string path = dir.file("fleet.master");
  std::string error;
  ASSERT_TRUE(db::writeBody(path, *makeBody("a", 2), "a", &error));
  ASSERT_TRUE(db::writeBody(path, *makeBody("b", 2), "b", &error));
  auto bigger = makeBody("a", 7);
  ASSERT_TRUE(db::writeBody(path, *bigger, "a", &error));
  EXPECT_EQ(db::bodyCount(path, &error), 2);
  auto first = db::readBody(path, 1, "", false, &error);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->nodeCount(), 7);

  // A write that fails inside its transaction, replacing "a" and adding "c".
  for (const char *name : {"a", "c"}) {
    db::failWriteAfterBlocksForTesting(1);
    EXPECT_FALSE(db::writeBody(path, *makeBody(name, 11), name, &error));
    EXPECT_NE(error.find("full"), std::string::npos) << error;
  }
  EXPECT_EQ(db::bodyCount(path, &error), 2);
  auto still = db::readBody(path, 0, "a", false, &error);
  ASSERT_TRUE(still) << error;
  expectSameBlocks(*bigger, *still);
}

// A reader in one process and a writer in another: every read sees one whole
// body, old or new, never a mixture and never an error.
TEST(DatabaseStore, ReadersSeeWholeBodiesWhileAnotherProcessWrites) {
  qvbtest::TempDir dir;
  const std::string path = dir.file("fleet.master");
  std::string error;
  ASSERT_TRUE(db::writeBody(path, *makeBody("a", 3), "a", &error)) << error;
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    bool ok = true;
    for (int i = 0; i < 30 && ok; ++i) ok = db::writeBody(path, *makeBody("a", i % 2 ? 3 : 9), "a", &error);
    _exit(ok ? 0 : 1);
  }
  for (int i = 0; i < 30; ++i) {
    auto b = db::readBody(path, 0, "a", false, &error);
    ASSERT_TRUE(b) << error;
    EXPECT_TRUE(b->nodeCount() == 3 || b->nodeCount() == 9) << b->nodeCount();
    EXPECT_EQ(b->nodalMass.size(), static_cast<size_t>(b->nodeCount()));
  }
  int status = 0;
  ASSERT_EQ(waitpid(writer, &status, 0), writer);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(db::bodyCount(path, &error), 1);
}

TEST(DatabaseStore, RefusesWhatIsNotOneOfOurDatabases) {
  qvbtest::TempDir dir;
  std::string error;
  EXPECT_EQ(db::bodyCount(dir.file("missing.master"), &error), -1);
  EXPECT_NE(error.find("no such"), std::string::npos);

  const std::string text = dir.file("text.master");
  std::ofstream(text) << "not a database at all, just some text that is long enough";
  EXPECT_EQ(db::bodyCount(text, &error), -1);
  EXPECT_FALSE(db::readBody(text, 1, "", false, &error));
  // Writing must not turn a foreign file into a database either.
  EXPECT_FALSE(db::writeBody(text, *makeBody("x", 1), "x", &error));
  std::ifstream in(text);
  std::string first;
  in >> first;
  EXPECT_EQ(first, "not");

  EXPECT_EQ(db::bodyCount(dir.path().string(), &error), -1);  // a directory
}

TEST(DatabaseStore, DetectsACorruptBlock) {
  qvbtest::TempDir dir;
  const std::string path = dir.file("fleet.master");
  std::string error;
  ASSERT_TRUE(db::writeBody(path, *makeBody("wing", 4), "wing", &error));
  {
    // Flip a byte of one stored block behind the library's back.
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "UPDATE blocks SET data = CAST(zeroblob(length(data)) AS BLOB) "
                           "WHERE block = (SELECT MAX(block) FROM blocks)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
  }
  EXPECT_FALSE(db::readBody(path, 1, "", false, &error));
  EXPECT_NE(error.find("checksum"), std::string::npos) << error;
}

}  // namespace
