// The one test body built through the setters: four nodes (IDs 10..13) in two
// triangles and every block a store keeps. Built through a plug-in table, so
// that the backend tests hand it the qvbflex plug-in's own table and the tests
// that go through the library hand it libraryTable() (library_table.h).
#pragma once

#include <vector>

#include "qvb/qvb_interface.h"

namespace qvbtest {

// The units the body is written in. Lengths are scaled by `length` and
// masses by `mass` (the number of body units per SI unit), so that the same
// physical body can be built in two unit systems; force is always newton.
struct BodyUnits {
  const char *massUnit = "kg";
  const char *lengthUnit = "m";
  double mass = 1.0;
  double length = 1.0;
};

// The modes are numbered as given (bodies often skip numbers). Null when the
// table cannot create a body.
QVB_Handle buildFullBody(const s_FLEX_INTERFACE &api, const BodyUnits &units = {},
                         const std::vector<int> &modes = {1, 2, 7});

}  // namespace qvbtest
