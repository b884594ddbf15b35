#include "database_selector.h"

#include <cstdlib>

namespace qvb::dbvflex {

DatabaseSelection parseDatabaseSelection(const char *name, int index) {
  DatabaseSelection selection;
  std::string text = name ? name : "";
  const size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  selection.index = index;
  const size_t selector = text.find("::");
  if (selector != std::string::npos) {
    const std::string tail = text.substr(selector + 2);
    text.erase(selector);
    if (!tail.empty() && tail.find_first_not_of("0123456789") == std::string::npos)
      selection.index = std::atoi(tail.c_str());
    else if (tail != "*" && !tail.empty())
      selection.name = tail;
  }
  if (selection.name.empty() && selection.index < 1) selection.index = 1;
  selection.path = text;
  return selection;
}

}  // namespace qvb::dbvflex
