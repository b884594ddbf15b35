// Writes that fail part-way: a full disk or a failing device at every step
// (through the platform seam's fake for body files, through a fake of
// SQLite's own OS layer for databases, and a file size limit in a child
// process), a process killed in the middle of a write, and a folder that
// cannot hold files. Whatever happens, the file or database
// keeps its previous content and stays readable, and the caller gets a zero
// status with a message that names the file and the cause.
#include <signal.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "block_codec.h"
#include "body_database.h"
#include "body_file.h"
#include "hardening_fixture.h"
#include "messages.h"
#include "support/fake_os.h"
#include "support/faulty_sqlite_vfs.h"
#include "support/library_table.h"

namespace hardening {
namespace {

using qvb::body::EncodedBlocks;

class WriteFaultTest : public HardeningTest {
 protected:
  // A body file and a database holding the full test body, written through the
  // public interface, and their contents as the tests expect to find them
  // after every failed write.
  void SetUp() override {
    QVB_Handle body = qvbtest::buildLibraryBody();
    ASSERT_NE(body, nullptr) << describeMessages();
    ASSERT_NE(QVB_write_QVB(body, file_.c_str()), 0) << describeMessages();
    ASSERT_NE(QVB_write_QVB(body, (database_ + "::panel").c_str()), 0) << describeMessages();
    QVB_Destroy(body);
    originalFile = qvbtest::readFile(file_);
    originalDatabase = databaseContents();
    originalDatabaseBytes = qvbtest::readFile(database_);
    ASSERT_FALSE(originalDatabase.empty());
  }

  // Every body of the database, encoded, in order.
  std::vector<EncodedBlocks> databaseContents() const {
    std::vector<EncodedBlocks> bodies;
    std::string error;
    const int count = qvb::database::bodyCount(database_, &error);
    EXPECT_GE(count, 1) << error;
    for (int k = 1; k <= count; ++k) {
      auto body = qvb::database::readBody(database_, k, "", false, &error);
      EXPECT_NE(body, nullptr) << error;
      if (body) bodies.push_back(qvb::body::encodeBody(*body));
    }
    return bodies;
  }

  std::unique_ptr<qvb::body::Body> readSample() const {
    std::string error;
    auto body = qvb::qvbflex::readBody(file_, 1, false, &error);
    EXPECT_NE(body, nullptr) << error;
    return body;
  }

  void expectFileUnchanged() const {
    EXPECT_EQ(qvbtest::readFile(file_), originalFile) << "the previous body file must survive";
    EXPECT_NE(QVB_BodyCount(file_.c_str()), -1) << describeMessages();
  }
  void expectDatabaseUnchanged() const {
    EXPECT_EQ(databaseContents(), originalDatabase) << "the previous database content must survive";
  }
  // Nothing but the two stores (and a database's own journal) is left behind.
  void expectNoTemporaryFiles() const {
    for (const std::string &name : folderEntries(temp_.path().string()))
      EXPECT_TRUE(name == "part.qvb" || name.rfind("store.master", 0) == 0) << "left behind: " << name;
  }

  // Puts the original files back, for the next fault.
  void restore() const {
    qvbtest::writeFile(file_, originalFile);
    qvbtest::writeFile(database_, originalDatabaseBytes);
    for (const char *suffix : {"-wal", "-shm", "-journal"}) std::remove((database_ + suffix).c_str());
  }

  const std::string file_ = temp_.file("part.qvb");
  const std::string database_ = temp_.file("store.master");
  std::string originalFile;
  std::vector<EncodedBlocks> originalDatabase;
  std::string originalDatabaseBytes;
};

// Each file operation of a write fails in turn, and the disk fills up inside
// the header and the body; for a replacement, an appended second body (which
// copies the first) and a file of one body, with and without files that have
// no name. Only a failure of the last step, the folder sync after the
// rename, leaves the new file in place, and says so.
TEST_F(WriteFaultTest, ABodyFileWriteThatFailsAtAnyStepKeepsThePreviousFile) {
  auto body = readSample();
  ASSERT_NE(body, nullptr);
  body->header.title = "changed";
  const int64_t total = static_cast<int64_t>(originalFile.size());
  for (bool anonymous : {true, false}) {
    for (int position : {0, 1, 2}) {
      int64_t operations = 0;
      {
        qvbtest::FakeOs os;
        if (!anonymous) os.withoutAnonymousFiles();
        os.failFileOperations(-1);
        std::string error;
        ASSERT_TRUE(qvb::qvbflex::writeBody(file_, *body, position, &error)) << error;
        operations = os.fileOperations();
        restore();
      }
      ASSERT_GE(operations, 8) << "lock, create, write, sync, access, close, rename, folder sync";
      struct Fault {
        int64_t operation, bytes;
        int error;
      };
      std::vector<Fault> faults;
      for (int64_t k = 0; k < operations; ++k) faults.push_back({k, -1, EIO});
      for (int64_t bytes : {int64_t(0), int64_t(10), int64_t(30), total / 2, total - 1})
        faults.push_back({-1, bytes, ENOSPC});
      for (const Fault &fault : faults) {
        SCOPED_TRACE(testing::Message() << "anonymous " << anonymous << ", position " << position << ", operation "
                                        << fault.operation << ", bytes " << fault.bytes);
        std::string error;
        {
          qvbtest::FakeOs os;
          if (!anonymous) os.withoutAnonymousFiles();
          os.failFileOperations(fault.operation, fault.error, fault.bytes);
          EXPECT_FALSE(qvb::qvbflex::writeBody(file_, *body, position, &error));
        }
        EXPECT_NE(error.find(file_), std::string::npos) << error;
        EXPECT_NE(error.find(std::strerror(fault.error)), std::string::npos) << error;
        if (fault.operation == operations - 1) {
          EXPECT_NE(error.find("power loss"), std::string::npos) << error;
          auto written = qvb::qvbflex::readBody(file_, std::max(position, 1), false, &error);
          ASSERT_NE(written, nullptr) << error;
          EXPECT_EQ(written->header.title, "changed");
          restore();
        }
        expectFileUnchanged();
        expectNoTemporaryFiles();
      }
    }
  }
  std::string error;
  {
    qvbtest::FakeOs os;
    os.failFileOperations(0, ETIMEDOUT);
    EXPECT_FALSE(qvb::qvbflex::writeBody(file_, *body, 1, &error));
    EXPECT_NE(error.find(file_ + " is being written by another process"), std::string::npos) << error;
  }
  EXPECT_TRUE(qvb::qvbflex::writeBody(file_, *body, 2, &error)) << "the failures must not stick: " << error;
  EXPECT_EQ(qvb::qvbflex::bodyCount(file_, &error), 2) << error;
}

// Processes writing different bodies of one file at the same moment, round
// after round: every change lands (each writer holds the file from reading
// it to putting its own in place).
TEST_F(WriteFaultTest, ConcurrentWritersOfOneBodyFileAllLand) {
  constexpr int kWriters = 4, kRounds = 5;
  // Bodies of some size, so that the writes overlap.
  QVB_Handle grown = qvbtest::buildLibraryBody();
  ASSERT_NE(grown, nullptr);
  for (int n = 0; n < 20000; ++n) QVB_SetNodeCoordinates(grown, 1000 + n, n, 2.0 * n, 3.0 * n);
  for (int k = 1; k <= kWriters; ++k)
    ASSERT_NE(QVB_write_QVB(grown, (file_ + "::" + std::to_string(k)).c_str()), 0) << describeMessages();
  QVB_Destroy(grown);
  auto body = readSample();
  ASSERT_NE(body, nullptr);
  std::string error;
  for (int round = 0; round < kRounds; ++round) {
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> writers;
    for (int k = 1; k <= kWriters; ++k) {
      const pid_t child = fork();
      if (child == 0) {
        close(start[1]);
        char go;
        if (read(start[0], &go, 1) != 0) _exit(3);  // all start when the pipe closes
        body->header.title = "round " + std::to_string(round) + " writer " + std::to_string(k);
        std::string failure;
        _exit(qvb::qvbflex::writeBody(file_, *body, k, &failure) ? 0 : 1);
      }
      writers.push_back(child);
    }
    close(start[0]);
    close(start[1]);
    for (pid_t writer : writers) {
      int status = -1;
      waitpid(writer, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round << ", status " << status;
    }
    for (int k = 1; k <= kWriters; ++k) {
      auto stored = qvb::qvbflex::readBody(file_, k, false, &error);
      ASSERT_NE(stored, nullptr) << error;
      EXPECT_EQ(stored->header.title, "round " + std::to_string(round) + " writer " + std::to_string(k))
          << "a writer's change was lost";
    }
  }
  expectNoTemporaryFiles();
}

// A path that is a symbolic link writes the file it names, in that file's
// folder, and a dangling link creates it; the file keeps its permission
// bits and owner. A file with a second name (a hard link) is replaced under
// the name written, and the writer warns that the other name keeps the
// previous body (docs/reliability.md says why).
TEST_F(WriteFaultTest, LinksPermissionsAndOwnersAreKept) {
  namespace fs = std::filesystem;
  const std::string elsewhere = temp_.file("elsewhere"), link = temp_.file("link.qvb");
  fs::create_directory(elsewhere);
  fs::copy_file(file_, elsewhere + "/real.qvb");
  fs::permissions(elsewhere + "/real.qvb", fs::perms::owner_read | fs::perms::owner_write);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown((elsewhere + "/real.qvb").c_str(), 4321, 4322), 0);
  }
  fs::create_symlink("elsewhere/real.qvb", link);
  fs::create_symlink("elsewhere/new.qvb", temp_.file("dangling.qvb"));
  QVB_Handle body = qvbtest::buildLibraryBody();
  ASSERT_NE(body, nullptr);
  QVB_SetHeader(body, "through the link", "", "TRANSLATOR", "", "", "");
  EXPECT_NE(QVB_write_QVB(body, (link + "::2").c_str()), 0) << describeMessages();
  EXPECT_NE(QVB_write_QVB(body, temp_.file("dangling.qvb").c_str()), 0) << describeMessages();
  EXPECT_TRUE(fs::is_symlink(link));
  std::string error;
  EXPECT_EQ(qvb::qvbflex::bodyCount(elsewhere + "/real.qvb", &error), 2) << error;
  EXPECT_EQ(qvb::qvbflex::bodyCount(elsewhere + "/new.qvb", &error), 1) << error;
  struct stat status {};
  ASSERT_EQ(stat((elsewhere + "/real.qvb").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
  if (root) {
    EXPECT_EQ(std::make_pair(status.st_uid, status.st_gid), std::make_pair(4321u, 4322u));
  }
  EXPECT_EQ(folderEntries(elsewhere), (std::vector<std::string>{"new.qvb", "real.qvb"}));

  fs::create_hard_link(file_, temp_.file("second-name.qvb"));
  messages().clear();
  EXPECT_NE(QVB_write_QVB(body, file_.c_str()), 0) << describeMessages();
  QVB_Destroy(body);
  EXPECT_EQ(qvbtest::readFile(temp_.file("second-name.qvb")), originalFile) << "the other name keeps the previous body";
  EXPECT_NE(qvbtest::readFile(file_), originalFile);
  ASSERT_EQ(messages().size(), 1u) << describeMessages();
  EXPECT_EQ(messages()[0].severity, 1);
  EXPECT_NE(messages()[0].text.find(file_ + " had 2 names"), std::string::npos) << describeMessages();
}

// Where the file system gives no advisory locks, a writer goes on unlocked
// (as it must on such mounts) but says so, once per write, naming the file:
// two writers at once may lose changes there.
TEST_F(WriteFaultTest, AWriteWithoutALockSaysSo) {
  auto body = readSample();
  ASSERT_NE(body, nullptr);
  s_MSG_HANDLERS library{QVB_Error, QVB_Warning, QVB_Info};
  qvb::body::setMessageHandlers(&library);
  std::string error;
  {
    qvbtest::FakeOs os;
    os.withoutLocks();
    messages().clear();
    ASSERT_TRUE(qvb::qvbflex::writeBody(file_, *body, 2, &error)) << error;
  }
  ASSERT_EQ(messages().size(), 1u) << describeMessages();
  EXPECT_EQ(messages()[0].severity, 1);
  EXPECT_NE(messages()[0].text.find(file_ + " was written without a lock"), std::string::npos) << describeMessages();
  messages().clear();
  ASSERT_TRUE(qvb::qvbflex::writeBody(file_, *body, 2, &error)) << error;
  EXPECT_TRUE(messages().empty()) << describeMessages();
  qvb::body::setMessageHandlers(nullptr);
}

// A writer that dies leaves at most a named temporary file (on a file
// system without files that have no name, or between naming it and the
// rename); the next writer of that file removes those of writers that no
// longer run, and leaves a running writer's alone.
TEST_F(WriteFaultTest, TemporariesOfDeadWritersAreRemovedByTheNextWriter) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  const std::string dead = file_ + ".tmp-" + std::to_string(gone) + "-1-1",
                    running = file_ + ".tmp-" + std::to_string(getpid()) + "-1-1";
  for (const std::string &name : {dead, running}) std::ofstream(name) << "left behind";
  auto body = readSample();
  ASSERT_NE(body, nullptr);
  std::string error;
  EXPECT_TRUE(qvb::qvbflex::writeBody(file_, *body, 2, &error)) << error;
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_TRUE(std::filesystem::exists(running));
}

// SQLite's writes, syncs and truncations fail from each one in turn on,
// replacing the stored body and adding a new one. A write that fails leaves
// every body as it was; one that reports success (the fault came after the
// commit, while the connection closed) holds the new body.
TEST_F(WriteFaultTest, ADatabaseWriteThatFailsAtAnyStepLeavesEveryBodyAsItWasOrWritesItWhole) {
  auto body = readSample();
  ASSERT_NE(body, nullptr);
  body->header.title = "changed";
  const EncodedBlocks changed = qvb::body::encodeBody(*body);
  for (const char *name : {"panel", "newcomer"}) {
    int64_t operations = 0;
    {
      qvbtest::FaultySqliteVfs vfs(-1);
      std::string error;
      ASSERT_TRUE(qvb::database::writeBody(database_, *body, name, &error)) << error;
      operations = vfs.operations();
    }
    restore();
    ASSERT_GE(operations, 2);
    for (int64_t k = 0; k < operations; ++k) {
      SCOPED_TRACE(testing::Message() << name << ", operation " << k);
      std::string error;
      bool written;
      {
        qvbtest::FaultySqliteVfs vfs(k);
        written = qvb::database::writeBody(database_, *body, name, &error);
      }
      if (written) {
        auto stored = qvb::database::readBody(database_, 0, name, false, &error);
        ASSERT_NE(stored, nullptr) << error;
        EXPECT_EQ(qvb::body::encodeBody(*stored), changed);
      } else {
        EXPECT_NE(error.find(database_), std::string::npos) << error;
        expectDatabaseUnchanged();
      }
      restore();
    }
  }
  std::string error;
  EXPECT_TRUE(qvb::database::writeBody(database_, *body, "newcomer", &error)) << error;
  EXPECT_EQ(qvb::database::bodyCount(database_, &error), 2);
}

// How the child process meets the file size limit.
enum class LimitHit { kWriteFails, kProcessKilled };

struct LimitCase {
  const char *name;
  bool database;
  LimitHit hit;
  rlim_t limit;  // bytes a file may hold
  // Printed by name: the default byte dump would read the padding.
  friend void PrintTo(const LimitCase &c, std::ostream *out) { *out << c.name; }
};

class FileSizeLimitTest : public WriteFaultTest, public testing::WithParamInterface<LimitCase> {
 protected:
  // Runs QVB_write_QVB of a grown, retitled body in a child whose files may
  // not grow past the case's limit. 40,000 bytes is more than the stores
  // hold now, and less than the grown body, so the write stops part-way
  // (inside the transaction, for a database); 1,024 bytes stops the
  // database at the first page its journal saves. Returns the child's wait status; the messages it
  // reported arrive in `reported`.
  int writeInLimitedChild(const std::string &target, std::string *reported) {
    int status = -1;
    *reported = printedByChild(
        [&] {
          QVB_SetMsgHandler([](const char *text, int severity) { std::printf("%d %s\n", severity, text); });
          const rlimit none{0, 0}, small{GetParam().limit, GetParam().limit};
          setrlimit(RLIMIT_CORE, &none);
          if (GetParam().hit == LimitHit::kWriteFails) signal(SIGXFSZ, SIG_IGN);
          QVB_Handle body = qvbtest::buildLibraryBody();
          if (body == nullptr) return 4;
          QVB_SetHeader(body, "changed", "grown", "TRANSLATOR", "", "", "");
          for (int n = 0; n < 3000; ++n) QVB_SetNodeCoordinates(body, 1000 + n, n, 2.0 * n, 3.0 * n);
          setrlimit(RLIMIT_FSIZE, &small);
          return QVB_write_QVB(body, target.c_str()) == 0 ? 0 : 5;
        },
        &status);
    return status;
  }
};

TEST_P(FileSizeLimitTest, TheStoreKeepsItsContentAndTheNextWriteWorks) {
  const LimitCase &c = GetParam();
  const std::string target = c.database ? database_ + "::panel" : file_;
  std::string reported;
  const int status = writeInLimitedChild(target, &reported);
  if (c.hit == LimitHit::kWriteFails) {
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "QVB_write_QVB must return 0 (status " << status << ")\n" << reported;
    EXPECT_NE(reported.find(c.database ? database_ : file_), std::string::npos) << reported;
  } else {
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status << "\n" << reported;
  }
  if (c.database) {
    expectDatabaseUnchanged();
  } else {
    expectFileUnchanged();
    // The killed writer's new file had no name yet, so nothing is left.
    expectNoTemporaryFiles();
  }

  // After the failure the store takes a write as usual.
  QVB_Handle body = qvbtest::buildLibraryBody();
  ASSERT_NE(body, nullptr);
  QVB_SetHeader(body, "rewritten", "", "TRANSLATOR", "", "", "");
  EXPECT_NE(QVB_write_QVB(body, target.c_str()), 0) << describeMessages();
  QVB_Destroy(body);
  QVB_Handle again = QVB_CreateFromQVB(target.c_str());
  ASSERT_NE(again, nullptr) << describeMessages();
  EXPECT_EQ(QVB_NodeCount(again), 4);
  QVB_Destroy(again);

  if (c.hit == LimitHit::kWriteFails) {
    // The message says why, not just that it failed (SQLite only says
    // "disk I/O error").
    EXPECT_TRUE(reported.find(std::strerror(EFBIG)) != std::string::npos ||
                reported.find("I/O error") != std::string::npos || reported.find("full") != std::string::npos)
        << reported;
  }
}

INSTANTIATE_TEST_SUITE_P(Stores, FileSizeLimitTest,
                         testing::Values(LimitCase{"BodyFileWriteFails", false, LimitHit::kWriteFails, 40000},
                                         LimitCase{"BodyFileWriterKilled", false, LimitHit::kProcessKilled, 40000},
                                         LimitCase{"DatabaseWriteFails", true, LimitHit::kWriteFails, 40000},
                                         LimitCase{"DatabaseWriterKilled", true, LimitHit::kProcessKilled, 40000},
                                         LimitCase{"DatabaseCannotOpen", true, LimitHit::kWriteFails, 1024}),
                         [](const auto &info) { return std::string(info.param.name); });

// Running as root, a read-only folder does not stop writes; a "folder" that
// is a regular file does.
TEST_F(WriteFaultTest, AFolderThatCannotHoldFilesGivesZeroAndNamesTheFileAndTheCause) {
  const std::string plain = temp_.file("plain");
  std::ofstream(plain) << "a file, not a folder";
  QVB_Handle body = qvbtest::buildLibraryBody();
  ASSERT_NE(body, nullptr);
  // SQLite says only that it cannot open the file, not why.
  const std::string notAFolder = std::strerror(ENOTDIR), cannotOpen = "unable to open";
  const std::pair<std::string, std::string> cases[] = {{plain + "/part.qvb", notAFolder},
                                                       {plain + "/store.master::panel", cannotOpen},
                                                       {plain + "/part.txt", notAFolder}};
  for (const auto &[target, cause] : cases) {
    messages().clear();
    EXPECT_EQ(QVB_write_QVB(body, target.c_str()), 0) << target;
    EXPECT_TRUE(anErrorMentions({plain + "/", cause})) << target << "\n" << describeMessages();
  }
  QVB_Destroy(body);
  EXPECT_EQ(qvbtest::readFile(plain).size(), std::string("a file, not a folder").size());
  expectFileUnchanged();
}

}  // namespace
}  // namespace hardening
