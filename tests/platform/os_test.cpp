// The OS layer: file status, writing files and the kept loader failure text.
#include "platform/os.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
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

// Writers of one file wait for each other's lock, and give up after the
// time given; links are followed to the file they name, cycles refused.
TEST(FileWriting, LocksWaitAndLinksAreFollowed) {
  qvbtest::TempDir temp;
  const std::string path = temp.file("body.qvb");
  int held = -1, waiting = -1;
  platform::FileStatus status;
  EXPECT_EQ(platform::lockExistingFile(path.c_str(), 0, &held, &status), ENOENT);
  std::ofstream(path) << "old";
  EXPECT_EQ(platform::createFile(path.c_str(), &held), EEXIST) << "a writer's temporary file must be new";
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
