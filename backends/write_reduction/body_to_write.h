// What a write stores: the body as it is, or the body reduced as the writer
// options (TRX_QVBWRITE_OPTIONS, read at every write) ask. Both stores call
// this once before they write anything, so a refused option leaves the
// target untouched.
#pragma once

#include <memory>
#include <string>

#include "body.h"

namespace qvb::coarsening {

struct BodyToWrite {
  const body::Body *body = nullptr;  // null: the write must fail with `error`
  std::unique_ptr<body::Body> reduced;
  std::string error;
};

// A refusal is reported as "<target> was not written: <why>"; options the
// writer does not know are reported as a warning and ignored.
BodyToWrite bodyToWrite(const body::Body &body, const std::string &target);

}  // namespace qvb::coarsening
