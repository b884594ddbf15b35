// How much memory a process may still take without pushing others out.
#pragma once

#include <cstdint>

namespace qvb::platform {

// The memory the system can give without swapping (MemAvailable), bounded
// by this process's address space limit when one is set. 0 when unknown.
uint64_t availableMemory();

}  // namespace qvb::platform
