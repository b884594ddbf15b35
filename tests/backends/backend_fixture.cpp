#include "backend_fixture.h"

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace qvbtest {
namespace {

void record(const char *prefix, const char *format, va_list args) {
  char text[1000];
  std::vsnprintf(text, sizeof text, format, args);
  messages().push_back(std::string(prefix) + text);
}
void onError(const char *format, ...) {
  va_list a;
  va_start(a, format);
  record("E: ", format, a);
  va_end(a);
}
void onWarning(const char *format, ...) {
  va_list a;
  va_start(a, format);
  record("W: ", format, a);
  va_end(a);
}
void onInfo(const char *format, ...) {
  va_list a;
  va_start(a, format);
  record("I: ", format, a);
  va_end(a);
}

s_FLEX_INTERFACE load() {
  void *library = dlopen(QVBFLEX_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  if (!library) throw std::runtime_error(dlerror());
  auto populate = reinterpret_cast<QVB_PopulateInterfaceFn>(dlsym(library, "PopulateInterface"));
  auto handlers = reinterpret_cast<QVB_SetMessageHandlersFn>(dlsym(library, "SetMessageHandlers"));
  if (!populate || !handlers) throw std::runtime_error("entry points missing");
  s_FLEX_INTERFACE table;
  populate(&table);
  static s_MSG_HANDLERS channel{onError, onWarning, onInfo};
  handlers(&channel);
  return table;
}

}  // namespace

const s_FLEX_INTERFACE &flex() {
  static const s_FLEX_INTERFACE table = load();
  return table;
}

std::vector<std::string> &messages() {
  static std::vector<std::string> list;
  return list;
}

bool anyMessageContains(const std::string &text) {
  for (const std::string &m : messages())
    if (m.find(text) != std::string::npos) return true;
  return false;
}

std::string contents(QVB_Handle body, int block) {
  std::FILE *tmp = std::tmpfile();
  flex().QVB_Contents(body, block, tmp);
  std::rewind(tmp);
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, tmp)) > 0) text.append(buffer, n);
  std::fclose(tmp);
  return text;
}

std::vector<double> take(double *values, size_t count) {
  std::vector<double> out(values, values ? values + count : values);
  flex().QVB_FreeMemory(values);
  return out;
}

std::vector<int> take(int *values, size_t count) {
  std::vector<int> out(values, values ? values + count : values);
  flex().QVB_FreeMemory(values);
  return out;
}

}  // namespace qvbtest
