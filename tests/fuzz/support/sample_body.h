// A small body with most blocks filled, built through the public interface so
// that fuzz seeds and hardening tests exercise the real backend path.
#pragma once

#include <vector>

#include "qvb.h"

namespace qvbsample {

// Four nodes (IDs 10..13) in two triangles, the given modes, masses,
// generalized matrices, loads, invariants and units kg/m/s/n. By default
// three modes numbered 1, 2 and 7 (bodies often skip numbers). Null when the
// backend cannot be bound. Release with QVB_Destroy.
QVB_Handle buildSampleBody(const std::vector<int> &modeNumbers = {1, 2, 7});

}  // namespace qvbsample
