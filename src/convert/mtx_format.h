// Low-level writing of the MTX matrix file: the matrix name table, the
// matrix header line, the record pieces and the two number precisions.
// Nothing here talks to a body, so the layout can be tested on its own.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "kernels/number_format.h"

namespace qvb::convert {

// Positions in the matrix name table; the header's name list and the write
// order both follow this numbering.
enum MatrixName {
  kSelMod = 0, kSelNod, kGenStiff,
  kInvar1, kInvar2, kInvar3, kInvar4, kInvar5, kInvar6, kInvar7, kInvar8, kInvar9,
  kTMode, kRMode, kPreload, kModLoad, kGenDamp, kEdge,
  kRdAxis, kRdGyro, kRdCirc, kRdDiff,
  kMatrixNameCount
};

// The stored name, trailing blanks included (they are printed).
const char *StoredMatrixName(int index);

// Values whose magnitude is at or below this are dropped from sparse
// matrices; in "zeroed" full matrices values strictly below it print as 0.0.
constexpr double kTinyValue = 1e-10;

class MtxWriter {
 public:
  MtxWriter(std::FILE *out, bool double_precision) : out_(out), double_(double_precision) {}

  std::FILE *stream() const { return out_; }
  bool double_precision() const { return double_; }

  // One matrix header line. seq < 0 means no sequence number (only edges
  // carry one). storage is "SPARSE" or "FULL"; order "RORDER" or "CORDER"
  // (ignored for SPARSE). Returns false, after printing the reason on
  // standard output, when the words or counts do not make a valid header.
  bool MatrixHeader(int name, int seq, const char *storage, const char *order, int rows,
                    int int_columns, int real_columns, int short_columns);

  // Record pieces; a record is the pieces of one line followed by EndLine().
  void Int(int value) { Put(text_, kernels::FormatInteger(text_, value, 8)); }
  void Short(int value) { Put(text_, kernels::FormatInteger(text_, value, 4)); }
  void Real(double value) { Put(text_, kernels::FormatReal(text_, value, double_)); }
  void Zeroed(double value) { Real(value < kTinyValue && value > -kTinyValue ? 0.0 : value); }
  void EndLine() { std::fputc('\n', out_); }

  // A sparse matrix from a dense row-major rows x columns array: the header
  // counts exactly the entries that the records then list, and an empty
  // matrix is written as the single entry (1, 1, 0.0).
  bool Sparse(int name, int rows, int columns, const std::vector<double> &dense);

  // A full row-major matrix of reals, `per_line` values a line, zeroed or not.
  // The header's counts are given by the caller (some matrices declare a row
  // shape that differs from their line shape).
  void RealLines(const std::vector<double> &values, int per_line, bool zeroed);

 private:
  void Put(const char *text, size_t length) { std::fwrite(text, 1, length, out_); }

  std::FILE *out_;
  bool double_;
  char text_[kernels::kNumberTextMax];
};

// The header's name list: every entry 18 characters wide, four to a line.
// Named matrices are given by table index, edges by their numbers.
void WriteNameList(std::FILE *out, const std::vector<int> &names, const std::vector<int> &edges);

}  // namespace qvb::convert
