// Fresh anonymous memory in whole pages, for scratch arrays too large for
// the ordinary heap (why huge pages pay off: page faults, bench/README.md).
#pragma once

#include <cstddef>

namespace qvb::platform {

constexpr size_t kHugePageBytes = size_t{2} << 20;

struct PageMemory {
  void *mapping = nullptr;  // what the system gave, for releasePageMemory
  size_t mappingBytes = 0;
  void *data = nullptr;     // start of the usable bytes, on a 2 MiB boundary
  size_t bytes = 0;         // usable bytes, a whole number of huge pages
};

// At least `bytes` of read-write memory, uninitialised, starting on a 2 MiB
// boundary and asked for in 2 MiB pages where the system grants them (else
// ordinary pages). Throws std::bad_alloc when the system has none to give.
PageMemory reservePageMemory(size_t bytes);

// Gives the memory back; an empty PageMemory is ignored.
void releasePageMemory(const PageMemory &memory);

}  // namespace qvb::platform
