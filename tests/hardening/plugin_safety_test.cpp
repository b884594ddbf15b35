// Plug-in folders that hold something other than a usable backend under the
// backend's name. Binding must fail with the two binding errors and no
// crash; a usable backend later on the search path, or the real one named by
// TRX_USER_PLUGIN_DIR, must win over anything in the current directory.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "hardening_fixture.h"

namespace fs = std::filesystem;

namespace hardening {
namespace {

// Fills a folder with one kind of unusable "qvbflex.so".
struct BrokenPlugin {
  const char *name;
  void (*make)(const fs::path &target);
  friend void PrintTo(const BrokenPlugin &p, std::ostream *out) { *out << p.name; }
};

void copyPrefix(const fs::path &target, size_t bytes) {
  std::ifstream in(std::string(QVB_HARDENING_PLUGIN_DIR) + "/qvbflex.so", std::ios::binary);
  std::string head(bytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(bytes));
  std::ofstream(target, std::ios::binary).write(head.data(), in.gcount());
}

const BrokenPlugin kBrokenPlugins[] = {
    {"Directory", [](const fs::path &t) { fs::create_directories(t / "inside"); }},
    {"EmptyFile", [](const fs::path &t) { std::ofstream{t}; }},
    {"NoPopulateInterface", [](const fs::path &t) { fs::copy_file(QVB_HARDENING_NO_POPULATE_PLUGIN, t); }},
};

class BrokenPluginTest : public HardeningTest, public testing::WithParamInterface<BrokenPlugin> {};

TEST_P(BrokenPluginTest, BindingFailsWithBothErrorsAndAUsableLaterEntryStillLoads) {
  const fs::path broken = temp_.path() / "broken";
  fs::create_directory(broken);
  GetParam().make(broken / "qvbflex.so");
  {
    qvbtest::ScopedEnv only("TRX_USER_PLUGIN_DIR", broken.string());
    for (int attempt = 0; attempt < 2; ++attempt) {
      messages().clear();
      EXPECT_EQ(QVB_Create(1, 1), nullptr);
      ASSERT_EQ(messages().size(), 2u) << describeMessages();
      EXPECT_EQ(messages()[0].severity, 0);
      EXPECT_FALSE(messages()[0].text.empty());
      EXPECT_EQ(messages()[1].text, "Fail to load Orvik flexible body library qvbflex");
    }
  }
  // Only a directory is skipped by the search itself; anything else under
  // the name is taken and fails, so the later entry is reached only then.
  qvbtest::ScopedEnv both("TRX_USER_PLUGIN_DIR", broken.string() + ":" + QVB_HARDENING_PLUGIN_DIR);
  messages().clear();
  QVB_Handle body = QVB_Create(1, 1);
  if (std::string(GetParam().name) == "Directory") {
    EXPECT_NE(body, nullptr) << describeMessages();
  } else {
    EXPECT_EQ(body, nullptr);
  }
  if (body) QVB_Destroy(body);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BrokenPluginTest, testing::ValuesIn(kBrokenPlugins),
                         [](const auto &info) { return std::string(info.param.name); });

// A plug-in cut short (an interrupted copy or install) must fail like any
// other unusable file. Run in a child, so that a regression cannot take the
// whole test binary down.
TEST_F(HardeningTest, ATruncatedPluginFailsToBindWithoutKillingTheHost) {
  const fs::path broken = temp_.path() / "truncated";
  fs::create_directory(broken);
  copyPrefix(broken / "qvbflex.so", 4096);
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

// The current directory is searched last, so a stray "qvbflex.so" there is
// only picked up when nothing else is configured.
TEST_F(HardeningTest, TheConfiguredPluginFolderWinsOverTheCurrentDirectory) {
  const fs::path here = fs::current_path();
  fs::current_path(temp_.path());
  std::ofstream("qvbflex.so") << "planted";
  QVB_Handle body = QVB_Create(1, 1);
  EXPECT_NE(body, nullptr) << describeMessages();
  if (body) QVB_Destroy(body);
  QVB_Terminate();
  {
    qvbtest::ScopedEnv none("TRX_USER_PLUGIN_DIR", std::nullopt);
    qvbtest::ScopedEnv path("PATH", "/nonexistent");
    messages().clear();
    EXPECT_EQ(QVB_Create(1, 1), nullptr);
    EXPECT_NE(describeMessages().find("qvbflex.so"), std::string::npos)
        << "the planted file was tried and refused: " << describeMessages();
  }
  fs::current_path(here);
}

}  // namespace
}  // namespace hardening
