// Library name resolution with hostile names and environment values, over
// an invented file system: the probe answers "exists" for the names the
// input lists, so the search reaches every stage without touching disk.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "loader/trxLibrarySearch.h"
#include "platform/os.h"

namespace {

const char *const kVariables[] = {"TRX_USER_PLUGIN_DIR", "PATH", "TRX_OLD_PATH", "TRX_CPU", "short_topdir"};
std::string g_values[5];
bool g_defined[5];
std::set<std::string> g_existing;

const char *fakeGetEnv(const char *name) {
  for (int i = 0; i < 5; ++i)
    if (std::string(name) == kVariables[i]) return g_defined[i] ? g_values[i].c_str() : nullptr;
  return nullptr;
}

bool fakeProbe(const char *path) { return g_existing.count(path) > 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  for (int i = 0; i < 5; ++i) {
    g_defined[i] = in.ConsumeBool();
    g_values[i] = in.ConsumeRandomLengthString(200);
  }
  g_existing.clear();
  for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n) g_existing.insert(in.ConsumeRandomLengthString(100));
  const bool windows = in.ConsumeBool();
  const std::string name = in.ConsumeRemainingBytesAsString();

  qvb::platform::OsInterface os = qvb::platform::hostOs();
  os.getEnv = fakeGetEnv;
  os.isLoadableFile = fakeProbe;
  qvb::platform::ScopedOs scoped(os);

  trxLibrarySearch search(windows ? kWindowsNaming : kHostNaming, fakeProbe);
  const auto found = search.resolve(name.c_str());
  // Only a name the file system has can be returned.
  if (found && g_existing.count(*found) == 0) std::abort();
  if (!found) search.notLocatedMessage();
  search.joinPluginDirWithPath(g_values[0], g_values[1]);
  trxIsPathLikeName(name);
  return 0;
}
