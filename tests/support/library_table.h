// The library's own exports in the shape of a plug-in table, so that a helper
// written against the table (full_body.h) also builds bodies through the
// library, which hands them to whichever store is bound.
#pragma once

#include <vector>

#include "full_body.h"
#include "qvb.h"
#include "qvb/qvb_interface.h"

namespace qvbtest {

inline const s_FLEX_INTERFACE &libraryTable() {
  static const s_FLEX_INTERFACE table = [] {
    s_FLEX_INTERFACE t{};
#define QVB_FWD(ordinal, result, name, params, args) t.name = &::name;
#define QVB_OWN(ordinal, result, name, params, args)
#define QVB_RSV(ordinal)
#include "qvb/qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV
    t.QVB_Create = &::QVB_Create;
    return t;
  }();
  return table;
}

// The full body in kg and m, built through the library. Release with
// QVB_Destroy.
inline QVB_Handle buildLibraryBody(const std::vector<int> &modes = {1, 2, 7}) {
  return buildFullBody(libraryTable(), {}, modes);
}

}  // namespace qvbtest
