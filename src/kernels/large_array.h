// Scratch arrays of doubles too large for the ordinary heap to serve well.
//
// Every fresh page costs a fault on its first touch, and on virtual machines
// with shadow paging a fault costs about ten microseconds: filling 500 MB of
// new 4 KiB pages takes over a second, several times the arithmetic done on
// them. These arrays are asked for in 2 MiB pages where the system grants
// them (one fault per 2 MiB), else they get ordinary pages. Contents are
// uninitialised.
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
  void resize(size_t count);

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
