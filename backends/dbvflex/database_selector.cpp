#include "database_selector.h"

#include <string>

#include "util/body_selector.h"

namespace qvb::dbvflex {

bool parseDatabaseSelection(const char *name, int index, DatabaseSelection *selection, std::string *error) {
  util::BodySelection parsed;
  if (!util::parseBodySelection(name, util::SelectorGrammar::kIndexOrName, &parsed, error)) return false;
  selection->path = parsed.file;
  selection->name = parsed.name;
  if (selection->name.empty()) return util::combineBodyNumbers(name, parsed.index, index, &selection->index, error);
  // A body named and a body number asked for: either choice would surprise.
  if (index > 0) {
    if (error != nullptr)
      *error = std::string(name) + ": the selector names body \"" + selection->name + "\" but body " +
               std::to_string(index) + " was asked for";
    return false;
  }
  return true;
}

}  // namespace qvb::dbvflex
