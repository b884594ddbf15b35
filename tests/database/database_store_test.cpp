// The database store on its own: bodies kept by name, numbered in the order
// they were first written, replaced inside one transaction.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>

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

// Runs `work` in a child process and returns its wait status.
int inChild(const std::function<int()> &work) {
  const pid_t child = fork();
  if (child == 0) _exit(work());
  int status = -1;
  waitpid(child, &status, 0);
  return status;
}

bool exitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

void runSql(const std::string &path, const char *sql) {
  sqlite3 *raw = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(raw, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
  sqlite3_close(raw);
}

// Bodies kept by name ("*": the title, "body" without one) and numbered in
// the order written. Writing by name or by number ("::2" replaces body 2,
// keeping its name) keeps the number; a number that names no body is
// refused and nothing is added.
TEST(DatabaseStore, WritesReadsAndReplacesByIndexAndName) {
  qvbtest::TempDir dir;
  const std::string path = dir.file("fleet.master");
  std::string error;
  EXPECT_FALSE(db::writeBody(path, *makeBody("a", 2), "1", &error));
  EXPECT_NE(error.find("fleet.master"), std::string::npos) << error;
  auto wing = makeBody("wing", 3), tail = makeBody("tail", 5), nose = makeBody("", 2);
  ASSERT_TRUE(db::writeBody(path, *wing, "*", &error)) << error;
  ASSERT_TRUE(db::writeBody(path, *tail, "tail", &error)) << error;
  ASSERT_TRUE(db::writeBody(path, *nose, "*", &error)) << error;
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

  auto bigger = makeBody("wing", 7), other = makeBody("c", 3);
  ASSERT_TRUE(db::writeBody(path, *bigger, "wing", &error));
  ASSERT_TRUE(db::writeBody(path, *other, "2", &error)) << error;
  EXPECT_FALSE(db::writeBody(path, *other, "4", &error));
  EXPECT_NE(error.find("has no body 4 to replace (it holds 3)"), std::string::npos) << error;
  EXPECT_FALSE(db::writeBody(path, *other, "0", &error));
  // "db.master::" names no body when reading, so it writes none either.
  EXPECT_FALSE(db::writeBody(path, *other, "", &error));
  EXPECT_NE(error.find("no body selector"), std::string::npos) << error;
  EXPECT_EQ(db::bodyCount(path, &error), 3);
  byIndex = db::readBody(path, 1, "", false, &error);
  ASSERT_TRUE(byIndex);
  expectSameBlocks(*bigger, *byIndex);
  byName = db::readBody(path, 0, "tail", false, &error);
  ASSERT_TRUE(byName) << error;
  expectSameBlocks(*other, *byName);
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

// Every refusal names the file and says what is wrong with it, in the
// same words for reading and writing.
TEST(DatabaseStore, RefusesForeignFilesAndDamagedBodiesByName) {
  qvbtest::TempDir dir;
  std::string error;
  EXPECT_EQ(db::bodyCount(dir.file("missing.master"), &error), -1);
  EXPECT_EQ(error, dir.file("missing.master") + ": no such database file");

  const std::string text = dir.file("text.master"), other = dir.file("other.master");
  std::ofstream(text) << "not a database at all, just some text that is long enough";
  runSql(other, "CREATE TABLE parts(x); INSERT INTO parts VALUES (1)");
  for (const std::string &path : {text, other}) {
    const std::string refusal = path + " is not a body database";
    EXPECT_EQ(db::bodyCount(path, &error), -1);
    EXPECT_EQ(error.rfind(refusal, 0), 0u) << error;
    EXPECT_FALSE(db::readBody(path, 1, "", false, &error));
    EXPECT_EQ(error.rfind(refusal, 0), 0u) << error;
    // Writing must not turn another program's file into a database either.
    EXPECT_FALSE(db::writeBody(path, *makeBody("x", 1), "x", &error));
    EXPECT_EQ(error.rfind(refusal, 0), 0u) << error;
  }
  EXPECT_EQ(qvbtest::readFile(text).rfind("not a database", 0), 0u);
  EXPECT_EQ(db::bodyCount(dir.path().string(), &error), -1);  // a directory
  EXPECT_NE(error.find(dir.path().string()), std::string::npos) << error;

  // Blocks changed or deleted behind the library's back never read as a body.
  const std::string fleet = dir.file("fleet.master");
  for (const char *name : {"wing", "tail", "nose"}) ASSERT_TRUE(db::writeBody(fleet, *makeBody(name, 4), name, &error));
  runSql(fleet,
         "UPDATE blocks SET data = CAST(zeroblob(length(data)) AS BLOB) "
         "WHERE body_id = 1 AND block = (SELECT MAX(block) FROM blocks)");
  runSql(fleet, "DELETE FROM blocks WHERE body_id = 2 AND block IN (4, 9)");  // the nodes and their masses
  runSql(fleet, "DELETE FROM blocks WHERE body_id = 3");
  const std::pair<const char *, const char *> cases[] = {
      {"wing", "checksum"}, {"tail", "blocks are missing"}, {"nose", "blocks are missing"}};
  for (const auto &[name, cause] : cases) {
    EXPECT_FALSE(db::readBody(fleet, 0, name, false, &error)) << name;
    EXPECT_EQ(error.rfind(fleet, 0), 0u) << error;
    EXPECT_NE(error.find(cause), std::string::npos) << error;
  }
}

// A first write that fails, or whose process dies at any byte, leaves a file
// that later readers and writers take as a new, empty database.
TEST(DatabaseStore, AnInterruptedFirstWriteLeavesANewDatabase) {
  qvbtest::TempDir dir;
  auto large = makeBody("wing", 3000);  // about 100 KB of blocks
  std::string error;
  const auto expectNewAndWritable = [&](const std::string &path, const std::string &trial) {
    EXPECT_EQ(db::bodyCount(path, &error), 0) << trial << ": " << error;
    ASSERT_TRUE(db::writeBody(path, *large, "wing", &error)) << trial << ": " << error;
    auto back = db::readBody(path, 1, "", false, &error);
    ASSERT_TRUE(back) << trial << ": " << error;
    expectSameBlocks(*large, *back);
  };

  // The process meets a file size limit: its write fails there (SIGXFSZ
  // ignored), or it is killed there (SIGKILL): on the first byte, in the
  // journal, on the first page of the database and inside the body.
  for (bool killed : {false, true}) {
    for (rlim_t limit : {0, 100, 600, 4096, 4200, 8192, 40000}) {
      const std::string trial = (killed ? "killed at " : "failed at ") + std::to_string(limit);
      const std::string path = dir.file(trial + ".master");
      const int status = inChild([&] {
        if (killed) signal(SIGXFSZ, [](int) { raise(SIGKILL); });
        else signal(SIGXFSZ, SIG_IGN);
        const rlimit bytes{limit, limit};
        setrlimit(RLIMIT_FSIZE, &bytes);
        std::string ignored;
        return db::writeBody(path, *large, "wing", &ignored) ? 0 : 1;
      });
      const bool ended = killed ? WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL : exitedWith(status, 1);
      ASSERT_TRUE(ended) << trial << ": status " << status;
      expectNewAndWritable(path, trial);
    }
  }

  // An empty file is a new database too.
  const std::string empty = dir.file("empty.master");
  std::ofstream{empty};
  expectNewAndWritable(empty, "empty file");
}

// Two processes writing the first bodies of one new database at once: both
// succeed and both bodies are there.
TEST(DatabaseStore, ConcurrentFirstWritersBothLand) {
  qvbtest::TempDir dir;
  for (int trial = 0; trial < 8; ++trial) {
    const std::string path = dir.file("race-" + std::to_string(trial) + ".master");
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
      writers[w] = fork();
      ASSERT_GE(writers[w], 0);
      if (writers[w] == 0) {
        close(gate[1]);
        char go;
        if (read(gate[0], &go, 1) < 0) _exit(2);  // all start when the gate closes
        std::string error;
        _exit(db::writeBody(path, *makeBody(w ? "right" : "left", 200 + w), "*", &error) ? 0 : 1);
      }
    }
    close(gate[0]);
    close(gate[1]);
    for (pid_t writer : writers) {
      int status = -1;
      waitpid(writer, &status, 0);
      EXPECT_TRUE(exitedWith(status, 0)) << "trial " << trial << ": status " << status;
    }
    std::string error;
    EXPECT_EQ(db::bodyCount(path, &error), 2) << "trial " << trial << ": " << error;
    for (const char *name : {"left", "right"}) EXPECT_TRUE(db::readBody(path, 0, name, false, &error)) << error;
  }
}

// A reader that may not write in the folder or the file (another user's
// folder, a read-only mount) still reads; writing there fails by name. Run
// as another user in a child, since the superuser ignores permissions.
TEST(DatabaseStore, ReadsWhereItCannotWrite) {
  qvbtest::TempDir dir;
  const std::string folder = dir.file("shared");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string path = folder + "/fleet.master";
  std::string error;
  ASSERT_TRUE(db::writeBody(path, *makeBody("wing", 3), "*", &error)) << error;
  ASSERT_TRUE(db::writeBody(path, *makeBody("tail", 4), "*", &error)) << error;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  const int status = inChild([&] {
    if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 77;
    std::string why;
    if (db::bodyCount(path, &why) != 2) return 1;
    auto tail = db::readBody(path, 0, "tail", false, &why);
    if (!tail || tail->nodeCount() != 4) return 2;
    if (db::writeBody(path, *makeBody("nose", 1), "*", &why) || why.find(path) == std::string::npos) return 3;
    return 0;
  });
  chmod(folder.c_str(), 0755);
  if (exitedWith(status, 77)) GTEST_SKIP() << "cannot run as another user here";
  EXPECT_TRUE(exitedWith(status, 0)) << "status " << status;
}

}  // namespace
