#include "loader/trxLoadLog.h"

#include "platform/os.h"

#include <cstdio>

namespace {
std::FILE *g_log = nullptr;
bool g_openAttempted = false;
}  // namespace

namespace trxLoadLog {

void openIfRequested() {
  if (g_openAttempted) return;
  const char *fileName = qvb::platform::getEnv("ORVIK_I_CAN_NOT_LOAD_MY_LIBRARY");
  if (fileName == nullptr) return;
  // One attempt only: a log that cannot be opened must not be retried by
  // every later constructor.
  g_openAttempted = true;
  g_log = qvb::platform::openStream(fileName, "a");
}

void line(const char *head, const char *tail) {
  if (g_log == nullptr) return;
  std::fprintf(g_log, "%s%s\n", head != nullptr ? head : "", tail != nullptr ? tail : "");
  std::fflush(g_log);
}

void close() {
  if (g_log != nullptr) std::fclose(g_log);
  g_log = nullptr;
  g_openAttempted = false;
}

}  // namespace trxLoadLog
