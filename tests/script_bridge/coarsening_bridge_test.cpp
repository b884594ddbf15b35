// The bridge end to end: a body served by the recording fake backend, a real
// interpreter runtime, and a stand-in "tolvane" module that writes down the
// nine arguments it was called with.
//
// The ctest entry runs these with ASAN_OPTIONS=detect_leaks=0: the
// interpreter keeps allocations past its own finalization that the leak
// checker would report as ours.
#include "fake_session.h"
#include "qvb.h"
#include "qvb/qvb_coarsen.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using Messages = std::vector<std::pair<int, std::string>>;
Messages g_messages;
void keepMessage(const char *message, int severity) { g_messages.emplace_back(severity, message); }

// Writes one "key=value" line per scalar argument and per list entry.
const char kRecorder[] = R"(import os
def driver(*args):
    with open(os.environ["COARSEN_TEST_RECORD"], "w") as out:
        out.write("types=%s\n" % ",".join(type(a).__name__ for a in args))
        for name, a in zip(("sketch", "file", "level", "flag", "value"), args):
            out.write("%s=%s\n" % (name, a))
        out.write("numbers=%s\n" % ",".join("%s:%d" % (type(n).__name__, n) for n in args[5]))
        for tag, lines in zip(("node", "face", "interface"), args[6:]):
            for line in lines:
                out.write("%s=%s\n" % (tag, line))
    if os.environ.get("COARSEN_TEST_RAISE"):
        raise ValueError("scripted failure")
)";

struct Body {
  std::vector<int> ids;
  std::vector<std::array<double, 3>> xyz;
  std::vector<int> faceList;  // count, then node indices, per face
  int faceCount = 0;
  std::vector<int> interfaceIds;
};

// A body whose surface queries the fake backend answers from `body`.
void serve(const Body &body) {
  using qvbfake::Call;
  using qvbfake::Result;
  namespace slot = qvbfake::slot;
  qvbfake::setHook(slot::QVB_NodeCount, [&body](const Call &) { return Result(int(body.ids.size())); });
  qvbfake::setHook(slot::QVB_NodeID, [&body](const Call &c) { return Result(body.ids.at(c.args[1].i)); });
  qvbfake::setHook(slot::QVB_NodeCoordinates, [&body](const Call &c) {
    const auto &p = body.xyz.at(c.args[1].i);
    std::copy(p.begin(), p.end(), static_cast<double *>(c.args[2].pointer));
    return Result(1);
  });
  qvbfake::setHook(slot::QVB_FaceListSize, [&body](const Call &c) {
    *static_cast<int *>(c.args[1].pointer) = body.faceCount;
    *static_cast<int *>(c.args[2].pointer) = int(body.faceList.size());
    return Result(1);
  });
  qvbfake::setHook(slot::QVB_ElementFaces, [&body](const Call &c) {
    std::copy(body.faceList.begin(), body.faceList.end(), static_cast<int *>(c.args[1].pointer));
    return Result(1);
  });
  qvbfake::setHook(slot::QVB_InterfaceNodeIDs, [&body](const Call &c) {
    *static_cast<int *>(c.args[1].pointer) = int(body.interfaceIds.size());
    return Result(body.interfaceIds.empty() ? nullptr : const_cast<int *>(body.interfaceIds.data()));
  });
}

class CoarseningBridge : public ::testing::Test {
 protected:
  void SetUp() override {
    writeModule(kRecorder);
    g_messages.clear();
    QVB_SetMsgHandler(keepMessage);
    body_ = QVB_Create(0, 0);
    ASSERT_NE(body_, nullptr);
    serve(twoNodeBody_);
  }
  void TearDown() override { QVB_SetMsgHandler(nullptr); }

  void writeModule(const std::string &text) { std::ofstream(scripts_.file("tolvane.py")) << text; }

  // The recorded lines, grouped by key.
  std::multimap<std::string, std::string> record() const {
    std::multimap<std::string, std::string> entries;
    std::ifstream in(recordFile_);
    for (std::string line; std::getline(in, line);) {
      const auto equals = line.find('=');
      entries.emplace(line.substr(0, equals), line.substr(equals + 1));
    }
    return entries;
  }
  std::vector<std::string> recorded(const std::string &key) const {
    std::vector<std::string> values;
    const auto entries = record();
    for (auto [at, end] = entries.equal_range(key); at != end; ++at) values.push_back(at->second);
    return values;
  }
  std::string options() const {
    const char *value = std::getenv("TRX_QVBWRITE_OPTIONS");
    return value != nullptr ? value : "<unset>";
  }

  qvbtest::TempDir scripts_;
  std::string recordFile_ = scripts_.file("record.txt");
  qvbtest::ScopedEnv pythonPath_{"PYTHONPATH", scripts_.path().string()};
  qvbtest::ScopedEnv noBytecode_{"PYTHONDONTWRITEBYTECODE", "1"};
  qvbtest::ScopedEnv recordTo_{"COARSEN_TEST_RECORD", recordFile_};
  qvbtest::ScopedEnv raise_{"COARSEN_TEST_RAISE", std::nullopt};
  qvbtest::ScopedEnv writerOptions_{"TRX_QVBWRITE_OPTIONS", "unchanged"};
  qvbfake::Session session_;
  QVB_Handle body_ = nullptr;
  // Two nodes, three faces (listed in index form), no interface nodes.
  Body twoNodeBody_{{7, 123456789}, {{{1.0, -2.5, 0.0}}, {{1e-12, 3.0, -1e5}}}, {3, 0, 1, 0, 2, 1, 0, 4, 1, 1, 0, 0}, 3, {}};
};

TEST_F(CoarseningBridge, OptionsReachTheScriptAndTheWriterOptionsAreRewritten) {
  const struct {
    const char *file;
    const char *options;
    const char *sketch, *level, *flag, *value, *numbers;
    const char *rewritten;
    bool sketchWarning;
  } cases[] = {
      {"out.qvb", "adv_coarsen(Aggressive,1e-3)", "out.ske", "1", "1", "0.001000", "", " sketch(out.ske)", false},
      {"run.d/model", "keep(1) adv_coarsen(light 0) other(2)", "run.d/model.ske", "-1", "0", "0.000000", "",
       "keep(1)  other(2) sketch(run.d/model.ske)", false},
      {"C:\\a.b\\model", "sketch(a.ske) adv_coarsen(standard, -2.5, mysk, 7, 8, 7)", "mysk.ske", "0", "1",
       "-2.500000", "int:7,int:8,int:7", "  sketch(mysk.ske)", true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.options);
    g_messages.clear();
    ASSERT_TRUE(QVB_AdvancedCoarsening(body_, c.file, c.options));
    EXPECT_EQ(recorded("types"), std::vector<std::string>{"str,str,int,int,str,list,list,list,list"});
    EXPECT_EQ(recorded("sketch"), std::vector<std::string>{c.sketch});
    EXPECT_EQ(recorded("file"), std::vector<std::string>{c.file});
    EXPECT_EQ(recorded("level"), std::vector<std::string>{c.level});
    EXPECT_EQ(recorded("flag"), std::vector<std::string>{c.flag});
    EXPECT_EQ(recorded("value"), std::vector<std::string>{c.value});
    EXPECT_EQ(recorded("numbers"), std::vector<std::string>{c.numbers});
    EXPECT_EQ(options(), c.rewritten);
    const Messages warning{{1, "User defined \"sketch\" option is ignored."}};
    EXPECT_EQ(g_messages, c.sketchWarning ? warning : Messages{});
  }
  // Two nodes, three faces and no interface nodes.
  EXPECT_EQ(recorded("node").size(), 2u);
  EXPECT_EQ(recorded("face").size(), 4u);
  EXPECT_TRUE(recorded("interface").empty());
}

TEST_F(CoarseningBridge, SurfaceLinesAreByteExact) {
  static const int kInterface[] = {123456789, 7};
  const Body body{{7, 123456789}, {{{1.0, -2.5, 0.0}}, {{1e-12, 3.0, -1e5}}}, {3, 0, 1, 0, 4, 1, 0, 1, 0}, 2,
                  {std::begin(kInterface), std::end(kInterface)}};
  serve(body);
  ASSERT_TRUE(QVB_AdvancedCoarsening(body_, "b.qvb", "adv_coarsen(light,0)"));
  EXPECT_EQ(recorded("node"), (std::vector<std::string>{
                                  "        7     1.0000000000e+00   -2.5000000000e+00    0.0000000000e+00",
                                  "123456789     1.0000000000e-12    3.0000000000e+00   -1.0000000000e+05"}));
  EXPECT_EQ(recorded("face"), (std::vector<std::string>{
                                  "number of faces 2",
                                  "        1              7123456789        7",
                                  "        2      123456789        7123456789        7"}));
  EXPECT_EQ(recorded("interface"), (std::vector<std::string>{"   1 123456789", "   2         7"}));
  // The interface array belongs to the backend and goes back to it.
  const auto freed = qvbfake::lastCall(qvbfake::slot::QVB_FreeMemory);
  ASSERT_TRUE(freed.has_value());
  EXPECT_EQ(freed->args[0].pointer, body.interfaceIds.data());

  // A face list shorter than its count is cut with a warning, never read
  // past its end.
  serve(twoNodeBody_);
  twoNodeBody_.faceCount = 5;
  ASSERT_TRUE(QVB_AdvancedCoarsening(body_, "b.qvb", "adv_coarsen(light,0)"));
  EXPECT_EQ(recorded("face").size(), 4u);
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0].first, 1);
}

TEST_F(CoarseningBridge, FailuresReportAndLeaveTheOptionsAlone) {
  const struct {
    const char *module;  // null: no module at all
    const char *raise;
    const char *options;
    Messages errors;
    bool emptyLine;
  } cases[] = {
      {kRecorder, "yes", "adv_coarsen(light,0)", {{0, "<class 'ValueError'>"}, {0, "scripted failure"}}, true},
      {nullptr, nullptr, "adv_coarsen(light,0)",
       {{0, "<class 'ModuleNotFoundError'>"}, {0, "No module named 'tolvane'"}}, true},
      {"x = 1\n", nullptr, "adv_coarsen(light,0)",
       {{0, "<class 'AttributeError'>"}, {0, "module 'tolvane' has no attribute 'driver'"}}, true},
      {kRecorder, nullptr, "adv_coarsen(light,0,9,x)", {{0, "Illegal parameter for advanced coarsening (x)."}}, false},
      {kRecorder, nullptr, "coarsen(1) adv_coarsen(light,0)",
       {{0, "adv_coarsen and coarsen are both specified in TRX_QVBWRITE_OPTIONS\nbut are mutually exclusive. "
            "Please remove one."}},
       false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.options + std::string(c.module != nullptr ? c.module : "(missing)"));
    std::filesystem::remove(scripts_.file("tolvane.py"));
    if (c.module != nullptr) writeModule(c.module);
    qvbtest::ScopedEnv raise("COARSEN_TEST_RAISE", c.raise != nullptr ? std::optional<std::string>(c.raise)
                                                                       : std::nullopt);
    g_messages.clear();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(QVB_AdvancedCoarsening(body_, "b.qvb", c.options));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.emptyLine ? "\n" : "");
    EXPECT_EQ(g_messages, c.errors);
    EXPECT_EQ(options(), "unchanged");
  }
  // A handle no creation returned is refused before the script runs.
  g_messages.clear();
  EXPECT_FALSE(QVB_AdvancedCoarsening(reinterpret_cast<QVB_Handle>(0x1234), "b.qvb", "adv_coarsen(light,0)"));
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_NE(g_messages[0].second.find("is not a body handle"), std::string::npos);
  EXPECT_EQ(options(), "unchanged");
}

bool runtimeMapped() { return qvbtest::readFile("/proc/self/maps").find("libpython") != std::string::npos; }

TEST_F(CoarseningBridge, RuntimeIsHeldOnlyWhileNeeded) {
  // Extension modules keep the runtime mapped after their first import, so
  // this only holds in a process that has not imported any (ctest runs each
  // test in its own).
  if (runtimeMapped()) GTEST_SKIP() << "an earlier test in this process pinned the runtime";
  ASSERT_TRUE(Py_LoadLibrary());
  EXPECT_TRUE(runtimeMapped());
  Py_UnloadLibrary();
  EXPECT_FALSE(runtimeMapped());
  Py_UnloadLibrary();  // nothing held: nothing happens

  // A runtime bound ahead of time is let go after the call, as after any.
  ASSERT_TRUE(Py_LoadLibrary());
  ASSERT_TRUE(QVB_AdvancedCoarsening(body_, "b.qvb", "adv_coarsen(light,0)"));
  EXPECT_FALSE(runtimeMapped());
}

TEST_F(CoarseningBridge, UnusableRuntimeIsReported) {
  const struct {
    const char *library;
    const char *firstError;
  } cases[] = {
      {"/nonexistent/libpython-missing.so", "Python library cannot be loaded."},
      // Loads fine but is no interpreter: as unusable as a missing one.
      {QVB_NOT_AN_INTERPRETER, "Python library cannot be loaded."},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.library);
    qvbtest::ScopedEnv library("QVB_PYTHON_LIBRARY", c.library);
    g_messages.clear();
    EXPECT_FALSE(QVB_AdvancedCoarsening(body_, "b.qvb", "adv_coarsen(light,0)"));
    ASSERT_FALSE(g_messages.empty());
    EXPECT_EQ(g_messages[0], (std::pair<int, std::string>{0, c.firstError}));
    EXPECT_EQ(options(), "unchanged");
    EXPECT_FALSE(runtimeMapped());
  }
  qvbtest::ScopedEnv library("QVB_PYTHON_LIBRARY", "/nonexistent/libpython-missing.so");
  EXPECT_FALSE(Py_LoadLibrary());
}

}  // namespace
