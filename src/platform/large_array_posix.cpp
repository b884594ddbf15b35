#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "platform/large_array.h"

namespace qvb::platform {

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
}

LargeArray::~LargeArray() { release(); }

void LargeArray::release() {
  if (mapping_ != nullptr) munmap(mapping_, mapping_bytes_);
  mapping_ = nullptr;
  mapping_bytes_ = 0;
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

void LargeArray::resize(size_t count) {
  if (count <= capacity_) {
    size_ = count;
    return;
  }
  release();
  if (count > (SIZE_MAX - 2 * kHugePage) / sizeof(double)) throw std::bad_alloc();
  // A huge page must start on a 2 MiB boundary: map one more and align.
  const size_t bytes = (count * sizeof(double) + kHugePage - 1) / kHugePage * kHugePage;
  void *mapping = mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t aligned = (reinterpret_cast<uintptr_t>(mapping) + kHugePage - 1) / kHugePage * kHugePage;
#ifdef MADV_HUGEPAGE
  madvise(reinterpret_cast<void *>(aligned), bytes, MADV_HUGEPAGE);  // a wish: refused, pages stay small
#endif
  mapping_ = mapping;
  mapping_bytes_ = bytes + kHugePage;
  data_ = reinterpret_cast<double *>(aligned);
  capacity_ = bytes / sizeof(double);
  size_ = count;
}

}  // namespace qvb::platform
