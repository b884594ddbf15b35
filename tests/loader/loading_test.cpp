// Loading real plug-ins: one record per file name, entry points run once,
// the load log, and failures turned into text (real and injected).
#include "loader/trxDynamicLibrary.h"
#include "loader/trxLoadLog.h"
#include "loader/trxLoader.h"
#include "fake_os.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines readLines(const std::string &file) {
  Lines lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool startsWith(const std::string &text, const std::string &head) { return text.rfind(head, 0) == 0; }

// Each test gets its own plug-in folder on TRX_USER_PLUGIN_DIR (copies of the
// built plug-ins) and its own entry-point log.
class Loading : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir("plugins"));
    for (const char *file : {"counter.so", "libprefixed.so", "bare.so"}) {
      fs::copy_file(fs::path(QVBTEST_LOADER_PLUGINS) / file, dir("plugins") + "/" + file);
    }
  }
  void TearDown() override {
    EXPECT_EQ(trxLoader::isLoaded("counter.so"), 0) << "a test left a library loaded";
    trxLoadLog::close();
  }
  std::string dir(const char *name) const { return temp_.file(name); }
  Lines entryLog() const { return readLines(temp_.file("entry.log")); }

  qvbtest::TempDir temp_;
  qvbtest::ScopedEnv entryLog_{"QVBTEST_ENTRY_LOG", temp_.file("entry.log")};
  qvbtest::ScopedEnv plugins_{"TRX_USER_PLUGIN_DIR", temp_.file("plugins")};
  qvbtest::ScopedEnv oldPath_{"TRX_OLD_PATH", std::nullopt};
  qvbtest::ScopedEnv loadLog_{"ORVIK_I_CAN_NOT_LOAD_MY_LIBRARY", std::nullopt};
  const std::string counter_ = temp_.file("plugins") + "/counter.so";
};

TEST_F(Loading, OneRecordPerFileNameInitialisedOnceAndTerminatedAfterTheLastUnload) {
  fs::create_directories(dir("other") + "/counter.so");  // a directory is never a hit
  fs::create_directory(dir("third"));
  fs::copy_file(counter_, dir("third") + "/counter.so");

  trxDynamicLibrary first;
  trxDynamicLibrary second;
  ASSERT_TRUE(first.load("counter")) << first.errorText();
  EXPECT_STREQ(first.path(), counter_.c_str());
  {
    qvbtest::ScopedEnv list("TRX_USER_PLUGIN_DIR", dir("other") + ":" + dir("third"));
    EXPECT_EQ(second.resolve("counter"), dir("third") + "/counter.so");
    ASSERT_TRUE(second.load("counter"));
  }
  // The second file of the same name is never opened: the record is shared.
  EXPECT_STREQ(second.path(), counter_.c_str());
  EXPECT_EQ(trxLoader::isLoaded("counter.so"), 2);
  auto answer = reinterpret_cast<int (*)()>(second.findSymbol("pluginAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);

  first.unload();
  EXPECT_FALSE(first.isLoaded());
  EXPECT_EQ(first.findSymbol("pluginAnswer"), nullptr);
  EXPECT_EQ(entryLog(), (Lines{"counter initialize"}));
  second.unload();
  second.unload();  // nothing held: harmless
  EXPECT_EQ(entryLog(), (Lines{"counter initialize", "counter terminate"}));
}

TEST_F(Loading, EntryPointsMayCarryTheBaseNameOrBeAbsent) {
  {
    trxDynamicLibrary prefixed;
    trxDynamicLibrary bare;
    ASSERT_TRUE(prefixed.load("libprefixed")) << prefixed.errorText();
    ASSERT_TRUE(bare.load("bare")) << bare.errorText();
  }  // destruction unloads
  EXPECT_EQ(entryLog(), (Lines{"prefixed initialize", "prefixed terminate"}));
  EXPECT_EQ(trxLoader::baseNameOf("C:\\x\\libqvbflex.dll"), "qvbflex");
  EXPECT_EQ(trxLoader::baseNameOf("/x/lib.so"), "lib");
}

TEST_F(Loading, LogRecordsEveryStepWhenRequested) {
  const std::string logFile = temp_.file("load.log");
  {
    qvbtest::ScopedEnv log("ORVIK_I_CAN_NOT_LOAD_MY_LIBRARY", logFile);
    trxDynamicLibrary first;
    trxDynamicLibrary second;
    ASSERT_TRUE(first.load("counter"));
    ASSERT_TRUE(second.load("counter"));
    first.findSymbol("pluginAnswer");
    first.findSymbol("missing");
    first.unload();
    second.unload();
    EXPECT_FALSE(first.load("nowhere"));
  }
  const Lines lines = readLines(logFile);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(Lines(lines.begin(), lines.end() - 1),
            (Lines{"Loading: counter", "   Full Name: " + counter_, "   Load OK", "Loading: counter",
                   "   Full Name: " + counter_, "   Already loaded", "Looking for function: pluginAnswer Found",
                   "Looking for function: missing Not Found", "Unloading: " + counter_, "Unloading: " + counter_,
                   "Loading: nowhere", "   Full Name: nowhere"}));
  EXPECT_TRUE(startsWith(lines.back(), "   ERROR: The user library \"nowhere\" could not be located.")) << lines.back();
}

TEST_F(Loading, FailuresExplainThemselves) {
  trxDynamicLibrary library;
  const char *buffer = nullptr;
  EXPECT_FALSE(library.load("nowhere", &buffer));
  ASSERT_EQ(buffer, trxLoader::errorBuffer());
  EXPECT_TRUE(startsWith(buffer, "The user library \"nowhere\" could not be located. These name(s) were searched "
                                 "for: nowhere, libnowhere, nowhere.so, libnowhere.so. They were not located in "
                                 "the path list;" + dir("plugins")))
      << buffer;
  EXPECT_STREQ(library.errorText(), buffer);

  std::ofstream(dir("plugins") + "/junk.so") << "not a shared object";
  EXPECT_FALSE(library.load("junk"));
  const std::string junk = library.errorText();
  EXPECT_TRUE(startsWith(junk, "Dynamic library " + dir("plugins") + "/junk.so error.\n")) << junk;
  EXPECT_NE(junk.find("junk.so: "), std::string::npos) << "the loader's own text is kept: " << junk;

  ASSERT_TRUE(library.load("counter"));
  EXPECT_EQ(library.findSymbol("missing_function"), nullptr);
  EXPECT_NE(std::string(library.errorText()).find("missing_function"), std::string::npos);
  library.unload();
  EXPECT_STREQ(trxLoader::errorBuffer(), "") << "the last unload starts the error buffer afresh";

  for (const std::string &bad : {std::string(), std::string(5000, 'n')}) EXPECT_FALSE(library.load(bad.c_str()));
  EXPECT_EQ(std::strlen(library.errorText()), 1024u);
  EXPECT_FALSE(library.load(nullptr));
  EXPECT_EQ(library.findSymbol(nullptr), nullptr);

  for (const char *bad : {static_cast<const char *>(nullptr), ""}) {
    const char *error = nullptr;
    EXPECT_EQ(trxLoader::load(bad, &error), nullptr);
    EXPECT_STREQ(error, "Bad logic in trxLoader::load; entered with a NULL library name");
    EXPECT_EQ(trxLoader::isLoaded(bad), -1);
    EXPECT_EQ(trxLoader::acquire(bad), nullptr);
    trxLoader::unload(bad);
  }
  EXPECT_EQ(trxLoader::acquire("unknown.so"), nullptr);
}

TEST_F(Loading, InjectedOpenFailuresKeepTheTextStructure) {
  const std::pair<const char *, std::string> cases[] = {
      {"boom", "Dynamic library " + counter_ + " error.\nboom\nThe dynamic loader reported this as text; it gives "
                                               "no error code."},
      {nullptr, "Dynamic library " + counter_ + " error.\nThe dynamic loader gave no error text and no error code."},
  };
  for (const auto &[systemText, expected] : cases) {
    qvbtest::FakeOs os;
    os.failOpens(systemText);
    trxDynamicLibrary library;
    const char *buffer = nullptr;
    EXPECT_FALSE(library.load("counter", &buffer));
    EXPECT_EQ(buffer, expected);
  }
  EXPECT_TRUE(entryLog().empty());
}

TEST(LoaderErrorText, SystemTextIsNeverUsedAsAFormat) {
  // "%" becomes a blank, except a first "%1", which is where the name goes.
  EXPECT_EQ(trxFormatLoaderError("C:\\\\x.dll", "%1 is bad %1 %d\n"),
            "C:/x.dll is bad  1  d\nThe dynamic loader reported this as text; it gives no error code.");
}

}  // namespace
