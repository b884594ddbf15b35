// Child processes: what a program's end tells its caller, where its output
// goes, that an interrupt stops it, that it dies with a parent killed
// outright, and which scratch folders count as left over. Against a
// scripted system (the OS table) and against real /bin/sh children.
#include "platform/child_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/os.h"
#include "test_support.h"

namespace {

namespace platform = qvb::platform;
namespace fs = std::filesystem;

// A system whose one child is scripted: it runs for `waits` timed-out waits,
// then ends as `end` says; a SIGTERM ends it at once. Function pointers
// cannot capture, hence the static state (one ScriptedSystem at a time).
class ScriptedSystem {
 public:
  struct State {
    std::vector<std::string> argv;
    std::string workDir, logFile;
    int startError = 0, waits = 0, interruptAtWait = -1, waited = 0, endedBy = 0;
    platform::ProcessEnd end;
    std::vector<std::pair<long, int>> signals;  // (process, signal) sent
    void (*interruptHandler)(int) = nullptr;
    double clock = 100;
    std::string temporaryFolder;
    std::vector<long> dead;  // processes that are gone
  };
  static State &state() {
    static State instance;
    return instance;
  }

  ScriptedSystem() : table_(platform::hostOs()) {
    state() = State{};
    table_.startProcess = [](const char *const *argv, const char *workDir, const char *logFile, long *process) {
      for (; *argv != nullptr; ++argv) state().argv.emplace_back(*argv);
      state().workDir = workDir;
      state().logFile = logFile;
      *process = 4242;
      return state().startError;
    };
    table_.waitProcess = [](long, double seconds, platform::ProcessEnd *end) {
      State &s = state();
      s.clock += seconds;
      if (s.waited++ == s.interruptAtWait && s.interruptHandler != nullptr) {
        s.interruptHandler(SIGINT);
        return EINTR;
      }
      if (s.waits-- > 0) return ETIMEDOUT;
      *end = s.end;
      return 0;
    };
    table_.signalProcess = [](long process, int signal) {
      State &s = state();
      if (signal == 0) return std::count(s.dead.begin(), s.dead.end(), process) > 0 ? ESRCH : 0;
      s.signals.emplace_back(process, signal);
      s.end = {-1, signal, 0};
      s.waits = 0;
      return 0;
    };
    table_.catchSignal = [](int signal, void (*handler)(int)) {
      if (signal == SIGINT) state().interruptHandler = handler;
      return true;
    };
    table_.releaseSignal = [](int) {};
    table_.endBySignal = [](int signal) { state().endedBy = signal; };
    table_.wallClock = [] { return state().clock; };
    table_.getEnv = [](const char *name) -> const char * {
      return std::string(name) == "TMPDIR" ? state().temporaryFolder.c_str() : nullptr;
    };
    platform::installOs(&table_);
  }
  ~ScriptedSystem() { platform::installOs(nullptr); }

 private:
  platform::OsInterface table_;
};

TEST(ScriptedChild, ExitStatusSignalProcessorTimeAndProgress) {
  ScriptedSystem system;
  auto &s = ScriptedSystem::state();
  s.waits = 3;
  s.end = {3, 0, 1.25};
  std::vector<double> heard;
  std::string error;
  double processor = 0;
  EXPECT_EQ(platform::runProgram({"/opt/solver", "-i", "job"}, "work", "job.out", &error, &processor,
                                 [&](double seconds) { heard.push_back(seconds); }),
            3);
  EXPECT_EQ(s.argv, (std::vector<std::string>{"/opt/solver", "-i", "job"}));
  EXPECT_EQ(s.workDir + " " + s.logFile, "work job.out");
  EXPECT_EQ(processor, 1.25);
  EXPECT_EQ(heard, (std::vector<double>{0.5, 1.0, 1.5})) << "about twice a second, seconds since the start";

  s = {};
  s.end = {-1, SIGKILL, 0};
  EXPECT_EQ(platform::runProgram({"/opt/solver"}, ".", "log", &error), -1);
  EXPECT_EQ(error, "/opt/solver ended by signal 9");

  s = {};
  s.startError = ENOENT;
  EXPECT_EQ(platform::runProgram({"/opt/missing"}, ".", "log", &error), -1);
  EXPECT_EQ(error, "cannot start /opt/missing: No such file or directory");
}

TEST(ScriptedChild, AnInterruptWhileWaitingStopsTheChildAndEndsTheProcessLater) {
  ScriptedSystem system;
  auto &s = ScriptedSystem::state();
  s.waits = 100;
  s.interruptAtWait = 2;
  std::string error;
  {
    platform::InterruptionScope scope;
    ASSERT_NE(s.interruptHandler, nullptr) << "the scope catches interrupts through the table";
    EXPECT_EQ(platform::runProgram({"/opt/solver"}, ".", "log", &error), -1);
    EXPECT_EQ(error, "/opt/solver stopped: interrupted by signal 2");
    EXPECT_EQ(s.signals, (std::vector<std::pair<long, int>>{{4242, SIGTERM}}));
    EXPECT_EQ(platform::InterruptionScope::received(), SIGINT);
    EXPECT_EQ(s.waited, 4) << "the stopped child is still collected";
    scope.endIfInterrupted();
    EXPECT_EQ(s.endedBy, SIGINT);
  }
  // The interrupt is over with its scope: later children run.
  EXPECT_EQ(platform::InterruptionScope::received(), 0);
  s.signals.clear();
  s.end = {0, 0, 0};
  EXPECT_EQ(platform::runProgram({"/opt/solver"}, ".", "log", &error), 0);
  EXPECT_TRUE(s.signals.empty());
}

// Names as makeTemporaryFolder gives them, with the owner's number.
TEST(WorkFolders, OnlyFoldersOfDeadOwnersAreRemovedAndLinksAreNotFollowed) {
  qvbtest::TempDir temp;
  ScriptedSystem system;
  auto &s = ScriptedSystem::state();
  s.temporaryFolder = temp.path().string();
  s.dead = {111};
  std::string error;
  const std::string mine = platform::makeTemporaryFolder("ccx2qvb-", &error);
  ASSERT_FALSE(mine.empty()) << error;
  EXPECT_EQ(fs::path(mine).parent_path(), temp.path());
  EXPECT_EQ(fs::path(mine).filename().string().rfind("ccx2qvb-" + std::to_string(getpid()) + "-", 0), 0u) << mine;

  const fs::path elsewhere = temp.path() / "elsewhere";
  fs::create_directories(elsewhere);
  std::ofstream(elsewhere / "precious") << "x";
  for (const char *name :
       {"ccx2qvb-111-aB3dE9", "ccx2qvb-222-aB3dE9", "other-111-aB3dE9", "ccx2qvb-111-abc", "ccx2qvb--aB3dE9"}) {
    fs::create_directories(temp.path() / name / "solver");
    std::ofstream(temp.path() / name / "solver" / "job.out") << "output";
  }
  fs::create_directory_symlink(elsewhere, temp.path() / "ccx2qvb-111-linkXX");
  std::ofstream(temp.path() / "ccx2qvb-111-fileXX") << "not a folder";

  EXPECT_EQ(platform::removeStaleWorkFolders("ccx2qvb-"), 1);
  EXPECT_FALSE(fs::exists(temp.path() / "ccx2qvb-111-aB3dE9"));
  for (const char *kept : {"ccx2qvb-222-aB3dE9", "other-111-aB3dE9", "ccx2qvb-111-abc", "ccx2qvb--aB3dE9",
                           "ccx2qvb-111-fileXX", "elsewhere/precious"})
    EXPECT_TRUE(fs::exists(temp.path() / kept)) << kept;
  EXPECT_TRUE(fs::is_symlink(temp.path() / "ccx2qvb-111-linkXX"));
  EXPECT_TRUE(fs::exists(mine));
}

// Real children from here on.
int runShell(const std::string &script, const std::string &folder, const std::string &log, std::string *error,
             const std::function<void(double)> &progress = nullptr) {
  return platform::runProgram({"/bin/sh", "-c", script}, folder, log, error, nullptr, progress);
}

TEST(RealChild, StatusSignalFolderAndOutputAppendedToTheLog) {
  qvbtest::TempDir temp;
  const std::string log = temp.file("run.log");
  std::ofstream(log) << "earlier\n";
  fs::create_directory(temp.file("work"));
  std::string error;
  EXPECT_EQ(runShell("pwd; echo to-error >&2; read line || echo no-input; exit 7", temp.file("work"), log, &error), 7);
  EXPECT_EQ(qvbtest::readFile(log), "earlier\n" + fs::canonical(temp.file("work")).string() + "\nto-error\nno-input\n");

  EXPECT_EQ(runShell("kill -KILL $$", temp.file("work"), log, &error), -1);
  EXPECT_EQ(error, "/bin/sh ended by signal 9");
  EXPECT_EQ(runShell("exit 0", temp.file("missing"), log, &error), -1);
  EXPECT_NE(error.find("cannot start /bin/sh: No such file"), std::string::npos) << error;

  // With progress, a program's buffered output is in the log while it runs.
  if (platform::findProgram("stdbuf").empty()) GTEST_SKIP() << "no stdbuf on this system";
  std::string seen;
  std::ofstream(log, std::ios::trunc).close();
  EXPECT_EQ(runShell("(echo step one; sleep 1.2) | sed -n p", temp.file("work"), log, &error,
                     [&](double) { seen = qvbtest::readFile(log); }),
            0);
  EXPECT_EQ(seen, "step one\n");
}

TEST(RealChild, AnInterruptStopsTheChildAtOnce) {
  qvbtest::TempDir temp;
  std::string error;
  platform::InterruptionScope scope;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(runShell("kill -INT $PPID; exec sleep 20", temp.path().string(), "/dev/null", &error), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(error, "/bin/sh stopped: interrupted by signal 2");
  EXPECT_EQ(platform::InterruptionScope::received(), SIGINT);
}

// Gone, or a zombie that nobody collects (its parent is gone too).
bool isGone(long process) {
  std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  return text.empty() || (close != std::string::npos && text.compare(close, 3, ") Z") == 0);
}

TEST(RealChild, DiesWithAParentKilledOutright) {
  qvbtest::TempDir temp;
  const std::string record = temp.file("child");
  const pid_t parent = ::fork();
  ASSERT_GE(parent, 0);
  if (parent == 0) {  // the parent to be killed: it only starts the child and waits
    std::string error;
    runShell("echo $$ >" + record + ".new && mv " + record + ".new " + record + "; exec sleep 30", "/", "/dev/null",
             &error);
    ::_exit(0);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  long child = 0;
  while (child == 0 && std::chrono::steady_clock::now() < deadline) {
    std::ifstream(record) >> child;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(parent, SIGKILL);
  ::waitpid(parent, nullptr, 0);
  ASSERT_GT(child, 0);
  while (!isGone(child) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(isGone(child)) << "the child " << child << " outlived its parent";
  if (!isGone(child)) ::kill(static_cast<pid_t>(child), SIGKILL);
}

}  // namespace
