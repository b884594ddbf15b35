// Work beside the calling thread: it runs while the caller goes on, and
// what it throws reaches the caller when it waits, not before and not lost.
#include "platform/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>

namespace {

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

}  // namespace
