// The OS layer: file status and the kept loader failure text.
#include "platform/os.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
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
