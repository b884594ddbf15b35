// Three-component vectors as plain double arrays, for geometry on nodes.
#pragma once

#include <cmath>

namespace qvb::ccx2qvb {

inline void cross(const double *a, const double *b, double *out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

inline double norm(const double *a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

}  // namespace qvb::ccx2qvb
