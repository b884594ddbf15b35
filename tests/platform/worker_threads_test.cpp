// Work beside the calling thread: it runs while the caller goes on, and
// what it throws reaches the caller when it waits, not before and not lost.
// Threads the system refuses are done without.
#include "platform/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>

namespace {

namespace platform = qvb::platform;
using qvb::platform::BackgroundWork;

TEST(BackgroundWork, RunsBesideTheCallerAndHandsOverItsFailure) {
  std::atomic<bool> callerWentOn{false}, workSawIt{false};
  BackgroundWork beside([&] {
    // Run in place, before the constructor returns, the work would wait in vain.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!callerWentOn.load() && std::chrono::steady_clock::now() < deadline) {
    }
    workSawIt = callerWentOn.load();
  });
  callerWentOn = true;
  beside.wait();
  EXPECT_TRUE(workSawIt.load());

  BackgroundWork failing([] { throw std::runtime_error("no room"); });
  EXPECT_THROW(failing.wait(), std::runtime_error);
  EXPECT_NO_THROW(failing.wait()) << "a failure is handed over once";
  { BackgroundWork dropped([] { throw std::runtime_error("never waited for"); }); }  // joined, not thrown
}

// A system that gives `granted` threads, then refuses (EAGAIN).
int g_granted = 0;

TEST(WorkerThreads, ThreadsTheSystemRefusesAreLeftOut) {
  platform::OsInterface table = platform::hostOs();
  table.startThread = [](void *(*body)(void *), void *argument, uint64_t *thread) {
    return g_granted-- > 0 ? platform::hostOs().startThread(body, argument, thread) : EAGAIN;
  };
  platform::ScopedOs refusing(table);
  for (const int granted : {0, 2}) {
    g_granted = granted;
    std::mutex lock;
    std::set<unsigned> ran;
    platform::runOnThreads(8, [&](unsigned index) {
      std::lock_guard<std::mutex> hold(lock);
      ran.insert(index);
    });
    EXPECT_EQ(ran.size(), static_cast<size_t>(granted) + 1) << granted << " threads granted";
  }
  g_granted = 0;
  bool done = false;
  BackgroundWork inPlace([&] { done = true; });
  EXPECT_TRUE(done) << "without a thread the work runs at once";
  g_granted = 1;
  EXPECT_THROW(platform::runOnThreads(3,
                                      [](unsigned index) {
                                        if (index == 1) throw std::runtime_error("on the started thread");
                                      }),
               std::runtime_error);
}

}  // namespace
