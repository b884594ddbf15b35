// Wall-clock seconds of one stage, added to its tally when the stage's
// scope ends (also when it ends by an exception).
#pragma once

#include "platform/os.h"

namespace qvb::ccx2qvb {

class StageTimer {
 public:
  explicit StageTimer(double *tally) : tally_(tally), start_(platform::wallClock()) {}
  ~StageTimer() { *tally_ += platform::wallClock() - start_; }
  StageTimer(const StageTimer &) = delete;
  StageTimer &operator=(const StageTimer &) = delete;

 private:
  double *tally_;
  double start_;
};

}  // namespace qvb::ccx2qvb
