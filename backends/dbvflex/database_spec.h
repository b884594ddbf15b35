// Database specifications as they reach the backend: "fleet.master" with an
// index, or "fleet.master::wing" (a body chosen by name; the front passes such
// a specification whole, with index 0). Trailing blanks of fixed-length
// Fortran names are ignored.
#pragma once

#include <string>

namespace qvb::dbvflex {

struct DatabaseSpec {
  std::string path;
  std::string name;  // empty: select by index
  int index = 1;
};

// index is the caller's index; a "::k" selector (digits) overrides it, and
// "::*" or an index below 1 selects body 1.
DatabaseSpec parseDatabaseSpec(const char *specification, int index);

}  // namespace qvb::dbvflex
