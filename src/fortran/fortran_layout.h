// Fortran stores arrays column by column; the C interface wants rows.
#pragma once

namespace qvb::fortran {

// Element (row, column) of a 3x3 Fortran array, both counted from 1.
inline double element3x3(const double *fortran, int row, int column) {
  return fortran[(column - 1) * 3 + (row - 1)];
}

// Copies a rows x columns Fortran array into row order:
// out[r * columns + c] = in[c * rows + r].
void columnMajorToRowMajor(const double *in, int rows, int columns, double *out);

}  // namespace qvb::fortran
