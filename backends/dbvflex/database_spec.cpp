#include "database_spec.h"

#include <cstdlib>

namespace qvb::dbvflex {

DatabaseSpec parseDatabaseSpec(const char *specification, int index) {
  DatabaseSpec spec;
  std::string text = specification ? specification : "";
  const size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  spec.index = index;
  const size_t selector = text.find("::");
  if (selector != std::string::npos) {
    const std::string tail = text.substr(selector + 2);
    text.erase(selector);
    if (!tail.empty() && tail.find_first_not_of("0123456789") == std::string::npos)
      spec.index = std::atoi(tail.c_str());
    else if (tail != "*" && !tail.empty())
      spec.name = tail;
  }
  if (spec.name.empty() && spec.index < 1) spec.index = 1;
  spec.path = text;
  return spec;
}

}  // namespace qvb::dbvflex
