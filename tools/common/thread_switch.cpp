#include "thread_switch.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/process_environment.h"

extern "C" int qvb_tool_take_thread_switch(const char *command, int *argc, char **argv) {
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp(argv[i], "-j", 2) != 0) {
      argv[kept++] = argv[i];
      continue;
    }
    const char *count = argv[i][2] != '\0' ? argv[i] + 2 : (i + 1 < *argc ? argv[++i] : "");
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(count, &end, 10);
    if (*count == '\0' || errno != 0 || *end != '\0' || value < 1) {
      std::fprintf(stderr, "%s: -j needs a thread count from 1 up, not \"%s\"\nTry '%s --help' for more information.\n",
                   command, count, command);
      return 0;
    }
    if (!qvb::platform::putEnvironment("QVB_THREADS", count)) {
      std::fprintf(stderr, "%s: cannot set QVB_THREADS for -j %s\n", command, count);
      return 0;
    }
  }
  *argc = kept;
  argv[kept] = nullptr;
  return 1;
}
