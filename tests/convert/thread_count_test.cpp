// The library runs on its caller's thread: loading it and converting a body
// large enough for every heavy step (the Gram kernel, whole matrices of text
// in chunks) leaves the process with the threads it had. Asked for threads
// (QVB_THREADS), it uses them within the call only, and the MTX file is
// the same bytes for every count. The library is loaded with dlopen here,
// not linked, so that the count before the load is the program's own and
// anything started while loading shows.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>

#include <atomic>
#include <optional>
#include <filesystem>
#include <string>
#include <vector>

#include "qvb.h"
#include "support/test_support.h"

namespace {
std::atomic<int> gThreadsStarted{0};
}  // namespace

// A thread that starts and ends within one call leaves no trace in the
// thread list, so every start is counted here too: this program exports its
// own pthread_create (see CMakeLists.txt), which the loaded library's calls
// reach before the C library's.
extern "C" int pthread_create(pthread_t *thread, const pthread_attr_t *attr, void *(*start)(void *),
                              void *arg) noexcept {
  using Create = int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
  static const Create next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
  gThreadsStarted.fetch_add(1);
  return next(thread, attr, start, arg);
}

namespace {

size_t threadCount() {
  size_t count = 0;
  for (const auto &entry : std::filesystem::directory_iterator("/proc/self/task")) {
    (void)entry;
    ++count;
  }
  return count;
}

// A C interface function looked up in the loaded library (decltype names its
// type only: taking its address would link the test against libqvb).
#define QVB_LOOKUP(library, name)                                                  \
  const auto name##_ = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)); \
  ASSERT_NE(name##_, nullptr) << #name

// Enough nodes and modes that the shape matrix is written in several blocks
// of tens of thousands of values and the invariants form a Gram product
// summed over several slabs of nodes.
constexpr int kNodes = 6000, kModes = 40;

TEST(ThreadCount, LoadingAndConvertingStartNoThreadUnlessAsked) {
  qvbtest::ScopedEnv plugins("TRX_USER_PLUGIN_DIR", QVB_REAL_PLUGIN_DIR);
  std::optional<qvbtest::ScopedEnv> threads;
  threads.emplace("QVB_THREADS", std::nullopt);
  qvbtest::TempDir dir;
  const size_t before = threadCount();

  void *library = dlopen(QVB_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_EQ(threadCount(), before) << "after loading the library";
  EXPECT_EQ(gThreadsStarted.load(), 0) << "threads started while loading";

  QVB_LOOKUP(library, QVB_Create);
  QVB_LOOKUP(library, QVB_SetUnits);
  QVB_LOOKUP(library, QVB_SetHeader);
  QVB_LOOKUP(library, QVB_SetNodeCoordinates);
  QVB_LOOKUP(library, QVB_SetNodalMass);
  QVB_LOOKUP(library, QVB_SetModeVec);
  QVB_LOOKUP(library, QVB_SetGeneralizedMass);
  QVB_LOOKUP(library, QVB_SetGeneralizedStiffness);
  QVB_LOOKUP(library, QVB_RebuildEigenvalues);
  QVB_LOOKUP(library, QVB_QVB2MTX);
  QVB_LOOKUP(library, QVB_Destroy);
  QVB_LOOKUP(library, QVB_Terminate);

  QVB_Handle body = QVB_Create_(kNodes, kModes);
  ASSERT_NE(body, nullptr);
  QVB_SetUnits_(body, "KILOGRAM", "METER", "SECOND", "NEWTON");
  QVB_SetHeader_(body, "threads", "run-1", "TEST", "", "", "");
  for (int id = 1; id <= kNodes; ++id) {
    QVB_SetNodeCoordinates_(body, id, 0.01 * (id % 40), 0.01 * (id / 40), 0.0);
    QVB_SetNodalMass_(body, id, 1.0 + (id % 7) * 0.125);
  }
  for (int mode = 1; mode <= kModes; ++mode) {
    for (int id = 1; id <= kNodes; ++id) {
      double six[6] = {0.001 * id, 0.5 * mode, -0.25 * ((id * mode) % 11), 0.0, 0.1, 0.2};
      QVB_SetModeVec_(body, mode, id, 0, six);
    }
    QVB_SetGeneralizedMass_(body, mode, mode, 1.0);
    QVB_SetGeneralizedStiffness_(body, mode, mode, 100.0 * mode * mode);
  }
  QVB_RebuildEigenvalues_(body);

  auto convert = [&](const std::string &output) {
    qvbtest::Argv argv({"qvb2mtx", dir.file("threads.qvb"), "-o", dir.file(output)});
    testing::internal::CaptureStdout();
    const int result = QVB_QVB2MTX_(argv.argc(), argv.argv(), body);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, 0) << printed;
    return qvbtest::readFile(dir.file(output + ".mtx"));
  };
  const std::string alone = convert("threads");
  // The matrix text is there: mode shapes of every node and mode, 3 to a line.
  EXPECT_GT(alone.size(), size_t{kNodes} * kModes * 66);
  EXPECT_EQ(threadCount(), before) << "after the conversion";
  EXPECT_EQ(gThreadsStarted.load(), 0) << "threads started, also those already ended";

  for (const char *count : {"1", "2", "3"}) {
    SCOPED_TRACE(std::string("QVB_THREADS=") + count);
    threads.emplace("QVB_THREADS", count);
    const int started = gThreadsStarted.load();
    EXPECT_TRUE(convert(std::string("threads") + count) == alone) << "the MTX file differs";
    EXPECT_EQ(threadCount(), before) << "a thread outlived the conversion";
    EXPECT_EQ(gThreadsStarted.load() > started, count[0] != '1') << "threads started";
  }

  // On threads the mode shapes are written in place, their bytes taken on
  // the disk before the first is written: a file size limit met there (its
  // signal ignored) fails the conversion with the file's name and reason,
  // and leaves no piece of the file.
  threads.emplace("QVB_THREADS", "2");
  int status = 0;
  const std::string printed = qvbtest::printedByChild(
      [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{alone.size() / 4, alone.size() / 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        qvbtest::Argv line({"qvb2mtx", "-Q", dir.file("threads.qvb"), "-o", dir.file("limited")});
        return QVB_QVB2MTX_(line.argc(), line.argv(), body) == -1 ? 0 : 1;
      },
      &status);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << " " << printed;
  EXPECT_NE(printed.find("limited.mtx cannot be written: File too large"), std::string::npos) << printed;
  EXPECT_FALSE(std::filesystem::exists(dir.file("limited.mtx")));

  QVB_Destroy_(body);
  QVB_Terminate_();
  // The library stays loaded: unloading is not what this test is about.
}

}  // namespace
