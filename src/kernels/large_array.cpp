#include "kernels/large_array.h"

#include <cstdint>
#include <new>

namespace qvb::kernels {

LargeArray::~LargeArray() { release(); }

void LargeArray::release() {
  platform::releasePageMemory(memory_);
  memory_ = {};
  size_ = 0;
}

void LargeArray::resize(size_t count) {
  if (count <= capacity()) {
    size_ = count;
    return;
  }
  release();
  if (count > SIZE_MAX / sizeof(double)) throw std::bad_alloc();
  memory_ = platform::reservePageMemory(count * sizeof(double));
  size_ = count;
}

}  // namespace qvb::kernels
