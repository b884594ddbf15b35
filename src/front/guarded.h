// The C interface never lets an exception escape: each export that does
// work of its own runs it through guarded(), which turns any exception into
// a message and the export's failure value.
#pragma once

#include <exception>

#include "qvb/qvb_messages.h"

namespace qvb::front {

template <class Result, class Work>
Result guarded(const char *function, Result failure, Work &&work) noexcept {
  try {
    return work();
  } catch (const std::exception &error) {
    QVB_Error("%s: %s", function, error.what());
  } catch (...) {
    QVB_Error("%s: unexpected failure", function);
  }
  return failure;
}

}  // namespace qvb::front
