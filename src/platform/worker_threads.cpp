#include "platform/worker_threads.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace qvb::platform {

void runOnThreads(unsigned threads, const std::function<void(unsigned index)> &work) {
  std::mutex failureLock;
  std::exception_ptr failure;
  auto guarded = [&](unsigned index) {
    try {
      work(index);
    } catch (...) {
      std::lock_guard<std::mutex> hold(failureLock);
      if (!failure) failure = std::current_exception();
    }
  };
  std::vector<std::thread> started;
  for (unsigned index = 1; index < threads; ++index) {
    try {
      started.emplace_back(guarded, index);
    } catch (const std::system_error &) {
      break;  // the system has no more threads for us: the started ones share the work
    }
  }
  guarded(0);
  for (std::thread &thread : started) thread.join();
  if (failure) std::rethrow_exception(failure);
}

BackgroundWork::BackgroundWork(std::function<void()> work) {
  auto guarded = [this, work = std::move(work)] {
    try {
      work();
    } catch (...) {
      failure_ = std::current_exception();
    }
  };
  try {
    thread_ = std::thread(guarded);
  } catch (const std::system_error &) {
    guarded();
  }
}

BackgroundWork::~BackgroundWork() {
  if (thread_.joinable()) thread_.join();
}

void BackgroundWork::wait() {
  if (thread_.joinable()) thread_.join();
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
