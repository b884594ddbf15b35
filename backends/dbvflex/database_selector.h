// Database names as they reach the backend: "fleet.master" with an index, or
// "fleet.master::wing" (a body chosen by name; the front passes such a name
// whole, selector included, with index 0), read by the selector grammar of
// util/body_selector.h. Trailing blanks of fixed-length Fortran names are
// ignored.
#pragma once

#include <string>

namespace qvb::dbvflex {

struct DatabaseSelection {
  std::string path;
  std::string name;  // empty: select by index
  int index = 1;
};

// index is the caller's index (below 1: none); with a "::k" selector it must
// agree, with a name selector it must be none, and with neither (or "::*")
// body 1 is selected. False with *error set when the selector is not one the
// grammar accepts or the two disagree.
bool parseDatabaseSelection(const char *name, int index, DatabaseSelection *selection, std::string *error);

}  // namespace qvb::dbvflex
