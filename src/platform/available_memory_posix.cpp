#include "platform/available_memory.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qvb::platform {

uint64_t availableMemory() {
  uint64_t available = 0;
  if (std::FILE *info = std::fopen("/proc/meminfo", "r")) {
    char line[256];
    unsigned long long kilobytes = 0;
    while (std::fgets(line, sizeof line, info) != nullptr)
      if (std::sscanf(line, "MemAvailable: %llu kB", &kilobytes) == 1) {
        available = static_cast<uint64_t>(kilobytes) * 1024;
        break;
      }
    std::fclose(info);
  }
  struct rlimit limit {};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    available = available == 0 ? limit.rlim_cur : std::min<uint64_t>(available, limit.rlim_cur);
  return available;
}

}  // namespace qvb::platform
