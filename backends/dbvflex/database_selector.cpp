#include "database_selector.h"

#include "util/body_selector.h"

namespace qvb::dbvflex {

bool parseDatabaseSelection(const char *name, int index, DatabaseSelection *selection, std::string *error) {
  util::BodySelection parsed;
  if (!util::parseBodySelection(name, util::SelectorGrammar::indexOrName, &parsed, error)) return false;
  selection->path = parsed.file;
  selection->name = parsed.name;
  selection->index = parsed.index > 0 ? parsed.index : index;
  if (selection->name.empty() && selection->index < 1) selection->index = 1;
  return true;
}

}  // namespace qvb::dbvflex
