// Plug-in folders that hold something other than a usable backend under the
// backend's name: binding must fail without a crash, and a usable backend
// later on the search path is reached only past a directory.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "hardening_fixture.h"

namespace fs = std::filesystem;

namespace hardening {
namespace {

// Only a directory under the backend's name is passed over by the search;
// any file there is taken and fails to bind (the front's tests check the two
// binding errors for each kind of unusable file), so a usable backend later
// on the search path is reached only past a directory.
TEST_F(HardeningTest, OnlyADirectoryUnderThePluginsNameIsPassedOver) {
  for (const bool directory : {true, false}) {
    const fs::path broken = temp_.path() / (directory ? "directory" : "file");
    fs::create_directory(broken);
    if (directory) {
      fs::create_directories(broken / "qvbflex.so" / "inside");
    } else {
      std::ofstream{broken / "qvbflex.so"};
    }
    qvbtest::ScopedEnv both("TRX_USER_PLUGIN_DIR", broken.string() + ":" + QVB_HARDENING_PLUGIN_DIR);
    messages().clear();
    QVB_Handle body = QVB_Create(1, 1);
    EXPECT_EQ(body != nullptr, directory) << describeMessages();
    if (body) QVB_Destroy(body);
    QVB_Terminate();
  }
}

// A plug-in cut short (an interrupted copy or install) must fail like any
// other unusable file. Run in a child, so that a regression cannot take the
// whole test binary down.
TEST_F(HardeningTest, ATruncatedPluginFailsToBindWithoutKillingTheHost) {
  const fs::path broken = temp_.path() / "truncated";
  fs::create_directory(broken);
  const std::string plugin = qvbtest::readFile(std::string(QVB_HARDENING_PLUGIN_DIR) + "/qvbflex.so");
  qvbtest::writeFile((broken / "qvbflex.so").string(), plugin.substr(0, 4096));
  qvbtest::ScopedEnv only("TRX_USER_PLUGIN_DIR", broken.string());
  EXPECT_EXIT(
      {
        const bool refused = QVB_Create(1, 1) == nullptr && messages().size() == 2;
        std::exit(refused ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

// A backend linked with the library and without a "_terminate" of its own:
// ending the library must not take the library's "_terminate" for the
// plug-in's (it called QVB_Terminate again inside QVB_Terminate, which
// freed the binding twice). In a child: the failure was an abort.
TEST_F(HardeningTest, APluginLinkedWithTheLibraryEndsOnce) {
  qvbtest::ScopedEnv only("TRX_USER_PLUGIN_DIR", QVB_HARDENING_LINKED_PLUGIN_DIR);
  EXPECT_EXIT(
      {
        for (int round = 0; round < 2; ++round) {
          QVB_Handle body = QVB_Create(1, 1);  // binds the plug-in; its empty table makes no body
          if (body != nullptr) std::exit(2);
          QVB_Terminate();
        }
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace hardening
