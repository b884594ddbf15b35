#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "platform/page_memory.h"

namespace qvb::platform {

PageMemory reservePageMemory(size_t bytes) {
  if (bytes > SIZE_MAX - 2 * kHugePageBytes) throw std::bad_alloc();
  PageMemory memory;
  memory.bytes = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  // A huge page must start on a 2 MiB boundary: map one more and align.
  memory.mappingBytes = memory.bytes + kHugePageBytes;
  void *mapping = mmap(nullptr, memory.mappingBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) throw std::bad_alloc();
  memory.mapping = mapping;
  const uintptr_t aligned =
      (reinterpret_cast<uintptr_t>(mapping) + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  memory.data = reinterpret_cast<void *>(aligned);
#ifdef MADV_HUGEPAGE
  madvise(memory.data, memory.bytes, MADV_HUGEPAGE);  // a wish: refused, pages stay small
#endif
  return memory;
}

void releasePageMemory(const PageMemory &memory) {
  if (memory.mapping != nullptr) munmap(memory.mapping, memory.mappingBytes);
}

}  // namespace qvb::platform
