// Name resolution under the Windows naming convention, with a fake file
// system that records every path the search asks about, so that the order
// of candidates is checked exactly.
#include "loader/trxLibrarySearch.h"
#include "fake_os.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Paths = std::vector<std::string>;
using qvbtest::ScopedEnv;

class WindowsSearch : public testing::Test {
 protected:
  std::optional<std::string> resolve(const char *name, std::set<std::string> files = {}) {
    os_.setFiles(std::move(files));
    os_.clearProbed();
    return search_.resolve(name);
  }
  const Paths &probed() const { return os_.probed(); }

  ScopedEnv plugins_{"TRX_USER_PLUGIN_DIR", std::nullopt};
  ScopedEnv path_{"PATH", std::nullopt};
  ScopedEnv oldPath_{"TRX_OLD_PATH", std::nullopt};
  ScopedEnv cpu_{"TRX_CPU", std::nullopt};
  ScopedEnv topDir_{"short_topdir", std::nullopt};
  qvbtest::FakeOs os_;
  trxLibrarySearch search_{kWindowsNaming, qvb::platform::isLoadableFile};
};

TEST_F(WindowsSearch, TriesEachDirectoryWithAndWithoutTheExtensionAndWithoutLib) {
  ScopedEnv path("PATH", "C:\\a;C:\\b");
  EXPECT_EQ(resolve("qvbflex", {"C:\\b\\qvbflex.dll"}), "C:\\b\\qvbflex.dll");
  EXPECT_EQ(probed(), (Paths{"C:\\a\\qvbflex.dll", "C:\\a\\qvbflex", "C:\\b\\qvbflex.dll"}));

  EXPECT_EQ(resolve("libfoo", {".\\foo"}), ".\\foo");
  EXPECT_EQ(probed(), (Paths{"C:\\a\\libfoo.dll", "C:\\a\\libfoo", "C:\\a\\foo.dll", "C:\\a\\foo", "C:\\b\\libfoo.dll",
                             "C:\\b\\libfoo", "C:\\b\\foo.dll", "C:\\b\\foo", ".\\libfoo.dll", ".\\libfoo",
                             ".\\foo.dll", ".\\foo"}));
}

TEST_F(WindowsSearch, PluginDirectoryGoesBeforeThePathALauncherAddedThenThePlatformDirectory) {
  ScopedEnv plugins("TRX_USER_PLUGIN_DIR", "P:");
  ScopedEnv path("PATH", "X:;O:;Y:");
  ScopedEnv oldPath("TRX_OLD_PATH", "O:");
  ScopedEnv cpu("TRX_CPU", "win64");
  ScopedEnv topDir("short_topdir", "T");
  // The list is X:;;Y:;P:;O: - its empty entry is skipped.
  EXPECT_EQ(resolve("n.dll"), std::nullopt);
  EXPECT_EQ(probed(), (Paths{"X:\\n.dll", "Y:\\n.dll", "P:\\n.dll", "O:\\n.dll", "T\\win64\\n.dll", ".\\n.dll"}));

  struct JoinCase {
    const char *oldPath, *path, *expected;
  };
  const JoinCase joins[] = {
      {"OO", "OO;X;OO", ";X;;P;OO"},  // every copy goes
      {nullptr, "X;Y", "P;X;Y"},      {"O", "X;O", "P;X;O"},  // old path too short to remove
  };
  for (const JoinCase &c : joins) {
    ScopedEnv old("TRX_OLD_PATH", c.oldPath ? std::optional<std::string>(c.oldPath) : std::nullopt);
    EXPECT_EQ(search_.joinPluginDirWithPath("P", c.path), c.expected) << c.path;
  }
}

// The library's own plug-in folder comes after every place the environment
// names (so those keep choosing) and before the current directory (so a file
// planted there does not win over the installed plug-in); the message lists it.
TEST_F(WindowsSearch, OwnPluginFolderAfterTheEnvironmentBeforeTheCurrentDirectory) {
  trxLibrarySearch installed{kWindowsNaming, qvb::platform::isLoadableFile, "L"};
  ScopedEnv path("PATH", "C:\\a");
  ScopedEnv cpu("TRX_CPU", "win64");
  ScopedEnv topDir("short_topdir", "T");
  os_.setFiles({".\\n.dll", "L\\n.dll", "C:\\a\\m.dll", "T\\win64\\k.dll"});
  os_.clearProbed();
  EXPECT_EQ(installed.resolve("n"), "L\\n.dll");
  EXPECT_EQ(probed(), (Paths{"C:\\a\\n.dll", "C:\\a\\n", "T\\win64\\n.dll", "T\\win64\\n", "L\\n.dll"}));
  EXPECT_EQ(installed.resolve("m"), "C:\\a\\m.dll");
  EXPECT_EQ(installed.resolve("k"), "T\\win64\\k.dll");

  EXPECT_EQ(installed.resolve("q"), std::nullopt);
  EXPECT_EQ(installed.notLocatedMessage(),
            "The user library \"q\" could not be located. These name(s) were searched for: q, libq, q.dll, libq.dll."
            " They were not located in the path list;C:\\a;T\\win64;L;.\\");
}

TEST_F(WindowsSearch, ExtensionRuleAndPathLikeNames) {
  ScopedEnv path("PATH", "C:\\a");
  // Names searched on the path: the first probe shows whether ".dll" was added.
  const std::pair<const char *, const char *> searched[] = {
      {"ntdll.dll", "C:\\a\\ntdll.dll"}, {"x.DLL", "C:\\a\\x.DLL.dll"}, {"x..dll", "C:\\a\\x..dll.dll"},
      {".dll", "C:\\a\\.dll.dll"},       {"_x", "C:\\a\\_x.dll"},
  };
  for (const auto &[name, firstProbe] : searched) {
    EXPECT_FALSE(resolve(name));
    EXPECT_EQ(probed().front(), firstProbe) << name;
  }
  // Paths are tried only as given.
  const std::pair<const char *, Paths> paths[] = {
      {"C:\\lib\\x.dll", {"C:\\lib\\x.dll"}}, {"..\\up\\y", {"..\\up\\y.dll", "..\\up\\y"}},
      {"d:/w.dll", {"d:/w.dll"}},            {"/abs.dll", {"/abs.dll"}},
      {"", {}},                              {nullptr, {}},
  };
  for (const auto &[name, expected] : paths) {
    EXPECT_FALSE(resolve(name));
    EXPECT_EQ(probed(), expected) << (name ? name : "(null)");
  }
}

TEST_F(WindowsSearch, NotLocatedMessageNamesEveryCandidateAndPlace) {
  ScopedEnv plugins("TRX_USER_PLUGIN_DIR", "P");
  ScopedEnv path("PATH", "C:\\a");
  ScopedEnv cpu("TRX_CPU", "win64");
  ScopedEnv topDir("short_topdir", "T");
  resolve("libfoo.dll");
  EXPECT_EQ(search_.notLocatedMessage(),
            "The user library \"libfoo.dll\" could not be located. These name(s) were searched for: libfoo.dll."
            " They were not located in the path list;P;C:\\a;T\\win64;.\\");

  resolve("C:\\x\\y");  // a path is searched nowhere, so no places are listed
  EXPECT_EQ(search_.notLocatedMessage(), "The user library \"C:\\x\\y\" could not be located. These name(s) were "
                                         "searched for: C:\\x\\y, C:\\x\\y.dll.");
}

}  // namespace
