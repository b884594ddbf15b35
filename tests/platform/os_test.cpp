// The OS layer: file status, writing files and the kept loader failure text.
#include "platform/os.h"
#include "platform/output_file.h"
#include "support/fake_os.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace platform = qvb::platform;

TEST(FileStatus, OnlyExistingNonDirectoriesAreLoadable) {
  qvbtest::TempDir temp;
  std::ofstream(temp.file("plain.so")) << "x";
  std::filesystem::create_directory(temp.file("folder.so"));
  EXPECT_TRUE(platform::isLoadableFile(temp.file("plain.so").c_str()));
  for (const std::string &path : {temp.file("folder.so"), temp.file("missing.so"), std::string(),
                                  std::string(10000, 'a')}) {
    EXPECT_FALSE(platform::isLoadableFile(path.c_str())) << path;
  }
  EXPECT_FALSE(platform::isLoadableFile(nullptr));
}

// A writer's temporary file must be new (two writers never share one), bytes
// land at the offsets given, and errors come back as the system's numbers.
TEST(FileWriting, NewFilesOffsetsRenameAndErrors) {
  qvbtest::TempDir temp;
  const std::string path = temp.file("out.tmp"), target = temp.file("out.bin");
  int descriptor = -1;
  ASSERT_EQ(platform::createFile(path.c_str(), &descriptor), 0);
  int again = -1;
  EXPECT_EQ(platform::createFile(path.c_str(), &again), EEXIST);
  EXPECT_EQ(platform::writeFileAt(descriptor, "world", 5, 6), 0);
  EXPECT_EQ(platform::writeFileAt(descriptor, "hello ", 6, 0), 0);
  EXPECT_EQ(platform::syncFile(descriptor), 0);
  EXPECT_EQ(platform::closeFile(descriptor), 0);
  EXPECT_EQ(platform::writeFileAt(descriptor, "x", 1, 0), EBADF);
  EXPECT_EQ(platform::renameFile(path.c_str(), target.c_str()), 0);
  std::ifstream in(target);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "hello world");
  EXPECT_EQ(platform::renameFile(path.c_str(), target.c_str()), ENOENT);
  EXPECT_EQ(platform::createFile((target + "/inside").c_str(), &again), ENOTDIR);
  EXPECT_EQ(platform::removeFile(target.c_str()), 0);
  EXPECT_FALSE(platform::isFile(target.c_str()));
}

// Writers of one file wait for each other's lock, and give up after the
// time given; links are followed to the file they name, cycles refused.
TEST(FileWriting, LocksWaitAndLinksAreFollowed) {
  qvbtest::TempDir temp;
  const std::string path = temp.file("body.qvb");
  int held = -1, waiting = -1;
  platform::FileStatus status;
  EXPECT_EQ(platform::lockExistingFile(path.c_str(), 0, &held, &status), ENOENT);
  std::ofstream(path) << "old";
  ASSERT_EQ(platform::lockExistingFile(path.c_str(), 0, &held, &status), 0);
  EXPECT_EQ(platform::lockExistingFile(path.c_str(), 0.05, &waiting, &status), ETIMEDOUT);
  platform::releaseLock(held);
  ASSERT_EQ(platform::lockExistingFile(path.c_str(), 0, &waiting, &status), 0);
  EXPECT_EQ(status.links, 1u);
  platform::releaseLock(waiting);

  std::filesystem::create_directory(temp.file("in"));
  std::filesystem::create_symlink("../body.qvb", temp.file("in/relative"));
  std::filesystem::create_symlink(temp.file("in/relative"), temp.file("absolute"));
  std::filesystem::create_symlink("loop", temp.file("loop"));
  std::string target;
  ASSERT_EQ(platform::followLinks(temp.file("absolute"), &target), 0);
  EXPECT_EQ(std::filesystem::canonical(target), std::filesystem::canonical(path));
  EXPECT_EQ(platform::followLinks(temp.file("loop"), &target), ELOOP);
}

// Every write of an output counts: the disk filling up at any byte makes
// closing fail, naming the file and the system's reason, and the previous
// file stays whole, with nothing else left beside it.
TEST(FileWriting, AnOutputThatCannotBeWrittenWholeFailsAndKeepsThePreviousFile) {
  qvbtest::TempDir temp;
  const std::string path = temp.file("out.mtx");
  std::ofstream(path) << "previous";
  const auto contents = [&] {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  for (int64_t room : {-1, 0, 100, 70000}) {
    SCOPED_TRACE(room);
    qvbtest::FakeOs os;
    os.failFileOperations(-1, EIO, room);
    platform::OutputFile out;
    ASSERT_TRUE(out.open(path)) << out.error();
    for (int i = 0; i < 20000; ++i) std::fprintf(out.stream(), "%d\n", i);  // 108,890 bytes
    if (room < 0) {
      EXPECT_TRUE(out.close()) << out.error();
      EXPECT_EQ(contents().size(), 108890u);
      std::ofstream(path) << "previous";
      continue;
    }
    EXPECT_FALSE(out.close());
    EXPECT_EQ(out.error(), path + " cannot be written: " + std::strerror(ENOSPC));
    EXPECT_EQ(contents(), "previous");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);
  }
}

TEST(LibraryErrors, TheLastFailureIsKeptUntilTheNextLoaderOperation) {
  const auto lastError = [] { return std::string(platform::lastLibraryError() ? platform::lastLibraryError() : ""); };
  EXPECT_EQ(platform::openLibrary("/nonexistent/missing.so"), nullptr);
  EXPECT_NE(lastError().find("/nonexistent/missing.so"), std::string::npos) << lastError();

  void *libm = platform::openLibrary("libm.so.6");
  ASSERT_NE(libm, nullptr);
  EXPECT_EQ(platform::lastLibraryError(), nullptr) << "a success forgets the previous failure";
  EXPECT_EQ(platform::probeOwnSymbol(libm, "no_such_symbol"), nullptr);
  EXPECT_EQ(platform::lastLibraryError(), nullptr) << "probing optional symbols leaves no failure behind";
  // Probing takes only what the library defines, not its dependencies'.
  EXPECT_NE(platform::findSymbol(libm, "malloc"), nullptr);
  EXPECT_EQ(platform::probeOwnSymbol(libm, "malloc"), nullptr);
  EXPECT_NE(platform::probeOwnSymbol(libm, "cos"), nullptr);
  EXPECT_EQ(platform::findSymbol(libm, "no_such_symbol"), nullptr);
  EXPECT_NE(lastError().find("no_such_symbol"), std::string::npos) << lastError();
  EXPECT_NE(platform::findSymbol(libm, "cos"), nullptr);
  EXPECT_EQ(platform::lastLibraryError(), nullptr);

  EXPECT_EQ(platform::findSymbol(nullptr, "cos"), nullptr);
  EXPECT_EQ(platform::findSymbol(libm, nullptr), nullptr);
  EXPECT_EQ(platform::openLibrary(nullptr), nullptr);
  platform::closeLibrary(libm);
  platform::closeLibrary(nullptr);
}

}  // namespace
