// Writes that fail part-way: a full disk or a failing device at every step
// (through the platform seam's fake for body files, through a fake of
// SQLite's own OS layer for databases, and a file size limit in a child
// process), a process killed in the middle of a write, and a folder that
// cannot hold files. Whatever happens, the file or database
// keeps its previous content and stays readable, and the caller gets a zero
// status with a message that names the file and the cause.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "block_codec.h"
#include "body_database.h"
#include "body_file.h"
#include "hardening_fixture.h"
#include "support/fake_os.h"
#include "support/faulty_sqlite_vfs.h"
#include "support/sample_body.h"

namespace hardening {
namespace {

using qvb::body::EncodedBlocks;

class WriteFaultTest : public HardeningTest {
 protected:
  // A body file and a database holding the sample body, written through the
  // public interface, and their contents as the tests expect to find them
  // after every failed write.
  void SetUp() override {
    QVB_Handle body = qvbsample::buildSampleBody();
    ASSERT_NE(body, nullptr) << describeMessages();
    ASSERT_NE(QVB_write_QVB(body, file_.c_str()), 0) << describeMessages();
    ASSERT_NE(QVB_write_QVB(body, (database_ + "::panel").c_str()), 0) << describeMessages();
    QVB_Destroy(body);
    originalFile_ = fileBytes(file_);
    originalDatabase_ = databaseContents();
    originalDatabaseBytes_ = fileBytes(database_);
    ASSERT_FALSE(originalDatabase_.empty());
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
    EXPECT_EQ(fileBytes(file_), originalFile_) << "the previous body file must survive";
    EXPECT_NE(QVB_BodyCount(file_.c_str()), -1) << describeMessages();
  }
  void expectDatabaseUnchanged() const {
    EXPECT_EQ(databaseContents(), originalDatabase_) << "the previous database content must survive";
  }
  // Nothing but the two stores (and a database's own journal) is left behind.
  void expectNoTemporaryFiles() const {
    for (const std::string &name : folderEntries(temp_.path().string()))
      EXPECT_TRUE(name == "part.qvb" || name.rfind("store.master", 0) == 0) << "left behind: " << name;
  }

  // Puts the original files back, for the next fault.
  void restore() const {
    std::ofstream(file_, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(originalFile_.data()), static_cast<std::streamsize>(originalFile_.size()));
    std::ofstream(database_, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(originalDatabaseBytes_.data()),
               static_cast<std::streamsize>(originalDatabaseBytes_.size()));
    for (const char *suffix : {"-wal", "-shm", "-journal"}) std::remove((database_ + suffix).c_str());
  }

  const std::string file_ = temp_.file("part.qvb");
  const std::string database_ = temp_.file("store.master");
  std::vector<unsigned char> originalFile_;
  std::vector<EncodedBlocks> originalDatabase_;
  std::vector<unsigned char> originalDatabaseBytes_;
};

// Each file operation of a write in turn fails (creating the temporary file,
// every write, the sync, the close, the rename), and the disk fills up
// before, inside and at the end of the header and the body; for a
// replacement, for an appended second body (which copies the first) and for
// a file of one body.
TEST_F(WriteFaultTest, ABodyFileWriteThatFailsAtAnyStepKeepsThePreviousFile) {
  auto body = readSample();
  ASSERT_NE(body, nullptr);
  body->header.title = "changed";
  const int64_t total = static_cast<int64_t>(originalFile_.size());
  for (int position : {0, 1, 2}) {
    int64_t operations = 0;
    {
      qvbtest::FakeOs os;
      os.failFileOperations(-1);
      std::string error;
      ASSERT_TRUE(qvb::qvbflex::writeBody(file_, *body, position, &error)) << error;
      operations = os.fileOperations();
      restore();
    }
    ASSERT_GE(operations, 5) << "create, write, sync, close, rename";
    struct Fault {
      int64_t operation, bytes;
      int error;
    };
    std::vector<Fault> faults;
    for (int64_t k = 0; k < operations; ++k) faults.push_back({k, -1, EIO});
    for (int64_t bytes : {int64_t(0), int64_t(10), int64_t(30), total / 2, total - 1})
      faults.push_back({-1, bytes, ENOSPC});
    for (const Fault &fault : faults) {
      SCOPED_TRACE(testing::Message() << "position " << position << ", operation " << fault.operation << ", bytes "
                                      << fault.bytes);
      std::string error;
      {
        qvbtest::FakeOs os;
        os.failFileOperations(fault.operation, fault.error, fault.bytes);
        EXPECT_FALSE(qvb::qvbflex::writeBody(file_, *body, position, &error));
      }
      EXPECT_NE(error.find(file_), std::string::npos) << error;
      EXPECT_NE(error.find(std::strerror(fault.error)), std::string::npos) << error;
      expectFileUnchanged();
      expectNoTemporaryFiles();
    }
  }
  std::string error;
  EXPECT_TRUE(qvb::qvbflex::writeBody(file_, *body, 2, &error)) << "the failures must not stick: " << error;
  EXPECT_EQ(qvb::qvbflex::bodyCount(file_, &error), 2) << error;
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
    int channel[2];
    if (pipe(channel) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
      close(channel[0]);
      static int out;
      out = channel[1];
      QVB_SetMsgHandler([](const char *text, int severity) {
        const std::string line = std::to_string(severity) + " " + text + "\n";
        if (write(out, line.data(), line.size()) < 0) _exit(3);
      });
      const rlimit none{0, 0}, small{GetParam().limit, GetParam().limit};
      setrlimit(RLIMIT_CORE, &none);
      if (GetParam().hit == LimitHit::kWriteFails) signal(SIGXFSZ, SIG_IGN);
      QVB_Handle body = qvbsample::buildSampleBody();
      if (body == nullptr) _exit(4);
      QVB_SetHeader(body, "changed", "grown", "TRANSLATOR", "", "", "");
      for (int n = 0; n < 3000; ++n) QVB_SetNodeCoordinates(body, 1000 + n, n, 2.0 * n, 3.0 * n);
      setrlimit(RLIMIT_FSIZE, &small);
      _exit(QVB_write_QVB(body, target.c_str()) == 0 ? 0 : 5);
    }
    close(channel[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(channel[0], buffer, sizeof buffer)) > 0) reported->append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = -1;
    waitpid(child, &status, 0);
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
    // A killed writer cannot remove its temporary file; it must never be
    // mistaken for the body file itself.
    if (c.hit == LimitHit::kWriteFails) expectNoTemporaryFiles();
  }

  // After the failure the store takes a write as usual.
  QVB_Handle body = qvbsample::buildSampleBody();
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
  QVB_Handle body = qvbsample::buildSampleBody();
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
  EXPECT_EQ(fileBytes(plain).size(), std::string("a file, not a folder").size());
  expectFileUnchanged();
}

}  // namespace
}  // namespace hardening
