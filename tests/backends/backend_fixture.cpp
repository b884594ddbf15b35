#include "backend_fixture.h"

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace qvbtest {
namespace {

// One handler per channel; `Prefix` is "E", "W" or "I".
template <char Prefix>
void record(const char *format, ...) {
  char text[1000];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  messages().push_back(std::string{Prefix, ':', ' '} + text);
}

s_FLEX_INTERFACE load() {
  void *library = dlopen(QVBFLEX_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  if (!library) throw std::runtime_error(dlerror());
  auto populate = reinterpret_cast<QVB_PopulateInterfaceFn>(dlsym(library, "PopulateInterface"));
  auto handlers = reinterpret_cast<QVB_SetMessageHandlersFn>(dlsym(library, "SetMessageHandlers"));
  if (!populate || !handlers) throw std::runtime_error("entry points missing");
  s_FLEX_INTERFACE table;
  populate(&table);
  static s_MSG_HANDLERS channel{record<'E'>, record<'W'>, record<'I'>};
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

std::vector<double> allInvariants(QVB_Handle b) {
  const s_FLEX_INTERFACE &f = flex();
  const int modes = f.QVB_ModeCount(b);
  std::vector<double> all{f.QVB_Invar1(b)};
  const auto add = [&all](const std::vector<double> &v) { all.insert(all.end(), v.begin(), v.end()); };
  add(take(f.QVB_Invar2(b), 3));
  add(take(f.QVB_Invar3(b), 3 * modes));
  add(take(f.QVB_Invar4(b), 3 * modes));
  add(take(f.QVB_Invar6(b), modes * modes));
  add(take(f.QVB_Invar7(b), 9));
  for (int j = 0; j < modes; ++j) {
    add(take(f.QVB_Invar5(b, j), 3 * modes));
    add(take(f.QVB_Invar8(b, j), 9));
    for (int k = 0; k < modes; ++k) add(take(f.QVB_Invar9(b, j, k), 9));
  }
  return all;
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

}  // namespace qvbtest
