// Threads for the length of one call. The library starts none unless the
// user asks (QVB_THREADS, or a command's -j); then every thread it starts
// is joined before the call that started it returns.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>

#include "platform/os.h"

namespace qvb::platform {

// Runs work(0) on the calling thread and work(1) .. work(threads - 1) on
// threads started for this call (through the OS table, so that a test can
// refuse them), and returns when all have returned. A
// thread the system refuses to start is left out, so work must share its
// items dynamically rather than by index. The first exception any of them
// throws is rethrown here, after every thread has been joined.
void runOnThreads(unsigned threads, const std::function<void(unsigned index)> &work);

// Work on a thread of its own while its starter goes on with other work;
// wait() (at the latest the destructor) joins it. Where the system refuses
// the thread, the work runs at once on the calling thread.
class BackgroundWork {
 public:
  explicit BackgroundWork(std::function<void()> work);
  ~BackgroundWork();  // joins; a failure that wait() did not collect is dropped
  BackgroundWork(const BackgroundWork &) = delete;
  BackgroundWork &operator=(const BackgroundWork &) = delete;
  // Returns once the work has ended, rethrowing what it threw.
  void wait();

 private:
  static void *run(void *self);
  void join();

  std::function<void()> work_;
  std::exception_ptr failure_;
  uint64_t thread_ = 0;
  bool started_ = false;
};

// The thread count that the text "N" asks for: 1 (no threads) when it is
// null, empty, not a whole number or below 2; at most kMostThreads.
constexpr unsigned kMostThreads = 256;
unsigned threadCountFromText(const char *text);
// The count the user asks for in QVB_THREADS (a command's -j sets it).
inline unsigned threadsAskedFor() { return threadCountFromText(getEnv("QVB_THREADS")); }

}  // namespace qvb::platform
