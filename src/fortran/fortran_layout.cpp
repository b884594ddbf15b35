#include "fortran/fortran_layout.h"

#include <cstddef>

namespace qvb::fortran {

void columnMajorToRowMajor(const double *in, int rows, int columns, double *out) {
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      out[static_cast<std::size_t>(r) * columns + c] = in[static_cast<std::size_t>(c) * rows + r];
    }
  }
}

}  // namespace qvb::fortran
