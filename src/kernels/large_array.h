// Scratch arrays of doubles too large for the ordinary heap to serve well:
// asked for in 2 MiB pages where the system grants them (one fault per
// 2 MiB instead of one per 4 KiB; page faults: bench/README.md), else in
// ordinary pages. Contents are uninitialised.
#pragma once

#include <cstddef>

#include "platform/page_memory.h"

namespace qvb::kernels {

class LargeArray {
 public:
  LargeArray() = default;
  ~LargeArray();
  LargeArray(const LargeArray &) = delete;
  LargeArray &operator=(const LargeArray &) = delete;

  // Room for count doubles; what was held before is not kept when the array
  // grows. Throws std::bad_alloc when the system has no memory to give.
  // Fresh memory is touched first on `threads` threads at once (threads > 1):
  // its first touch, where the system finds and clears each page, costs
  // more than filling it, and runs on every core in parallel.
  void resize(size_t count, unsigned threads = 1);

  double *data() { return static_cast<double *>(memory_.data); }
  const double *data() const { return static_cast<const double *>(memory_.data); }
  size_t size() const { return size_; }

 private:
  size_t capacity() const { return memory_.bytes / sizeof(double); }
  void release();
  platform::PageMemory memory_;
  size_t size_ = 0;
};

}  // namespace qvb::kernels
