#include "database_selector.h"

#include "util/body_selector.h"

namespace qvb::dbvflex {

bool parseDatabaseSelection(const char *name, int index, DatabaseSelection *selection, std::string *error) {
  util::BodySelection parsed;
  if (!util::parseBodySelection(name, util::SelectorGrammar::kIndexOrName, &parsed, error)) return false;
  selection->path = parsed.file;
  selection->name = parsed.name;
  return selection->name.empty() ? util::combineBodyNumbers(name, parsed.index, index, &selection->index, error)
                                  : true;
}

}  // namespace qvb::dbvflex
