#include "platform/worker_threads.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <utility>
#include <vector>

namespace qvb::platform {
namespace {

// What one started thread runs: the shared work and its own index.
struct Share {
  const std::function<void(unsigned)> *work;
  unsigned index;
};

void *runShare(void *share) {
  const auto *mine = static_cast<const Share *>(share);
  (*mine->work)(mine->index);
  return nullptr;
}

}  // namespace

void runOnThreads(unsigned threads, const std::function<void(unsigned index)> &work) {
  std::mutex failureLock;
  std::exception_ptr failure;
  // Nothing may leave a thread's body: an exception there ends the process.
  const std::function<void(unsigned)> guarded = [&](unsigned index) {
    try {
      work(index);
    } catch (...) {
      std::lock_guard<std::mutex> hold(failureLock);
      if (!failure) failure = std::current_exception();
    }
  };
  std::vector<Share> shares;
  shares.reserve(threads);  // the threads hold pointers into it
  std::vector<uint64_t> started;
  for (unsigned index = 1; index < threads; ++index) {
    shares.push_back({&guarded, index});
    uint64_t thread = 0;
    // The system has no more threads for us: the started ones share the work.
    if (startThread(runShare, &shares.back(), &thread) != 0) break;
    started.push_back(thread);
  }
  guarded(0);
  for (const uint64_t thread : started) joinThread(thread);
  if (failure) std::rethrow_exception(failure);
}

BackgroundWork::BackgroundWork(std::function<void()> work) : work_(std::move(work)) {
  started_ = startThread(run, this, &thread_) == 0;
  if (!started_) run(this);
}

BackgroundWork::~BackgroundWork() { join(); }

void *BackgroundWork::run(void *self) {
  auto *background = static_cast<BackgroundWork *>(self);
  try {
    background->work_();
  } catch (...) {
    background->failure_ = std::current_exception();
  }
  return nullptr;
}

void BackgroundWork::join() {
  if (started_) joinThread(thread_);
  started_ = false;
}

void BackgroundWork::wait() {
  join();
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

unsigned threadCountFromText(const char *text) {
  if (text == nullptr || *text == '\0') return 1;
  char *end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 2) return 1;
  return value > static_cast<long>(kMostThreads) ? kMostThreads : static_cast<unsigned>(value);
}

}  // namespace qvb::platform
