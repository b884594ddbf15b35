// Low-level writing of the MTX matrix file: the matrix name table, the
// matrix header line, the record pieces and the two number precisions.
// Nothing here talks to a body, so the layout can be tested on its own.
#pragma once

#include <string>
#include <vector>

#include "convert/number_format.h"
#include "convert/text_output.h"

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
const char *storedMatrixName(int index);

// Values whose magnitude is at or below this are dropped from sparse
// matrices; in "zeroed" full matrices values strictly below it print as 0.0.
constexpr double kTinyValue = 1e-10;

// The matrices' text, written through `out` (the file's stream, or a
// stretch of the file made in place).
class MtxWriter {
 public:
  MtxWriter(TextOutput &out, bool doublePrecision) : out_(out), double_(doublePrecision) {}

  TextOutput &output() const { return out_; }
  bool doublePrecision() const { return double_; }
  // The width and precision of every real: "%22.14E" or "%16.8E".
  int width() const { return double_ ? 22 : 16; }
  int precision() const { return double_ ? 14 : 8; }
  RealFormat format(int perLine) const { return RealFormat{perLine, width(), precision()}; }

  // One matrix header line. seq < 0 means no sequence number (only edges
  // carry one). storage is "SPARSE" or "FULL"; order "RORDER" or "CORDER"
  // (ignored for SPARSE). Returns false, after printing the reason on
  // standard output, when the words or counts do not make a valid header.
  bool matrixHeader(int name, int seq, const char *storage, const char *order, int rows,
                    int intColumns, int realColumns, int shortColumns);
  // The text of that line, into text; false as for matrixHeader (the reason
  // printed all the same, text the line's start up to the fault).
  bool headerText(std::string &text, int name, int seq, const char *storage, const char *order, int rows,
                  int intColumns, int realColumns, int shortColumns) const;

  // Record pieces; a record is the pieces of one line followed by endLine().
  void integer(int value) { put(text_, formatInteger(text_, value, 8)); }
  void shortInteger(int value) { put(text_, formatInteger(text_, value, 4)); }
  void real(double value) { put(text_, formatReal(text_, value, double_)); }
  void zeroed(double value) { real(value < kTinyValue && value > -kTinyValue ? 0.0 : value); }
  void blank() { put(" ", 1); }
  void endLine() { put("\n", 1); }
  void text(const std::string &text) { put(text.data(), text.size()); }

  // A sparse matrix from a dense row-major rows x columns array: the header
  // counts exactly the entries that the records then list, and an empty
  // matrix is written as the single entry (1, 1, 0.0).
  bool sparse(int name, int rows, int columns, const std::vector<double> &dense);

  // A full row-major matrix of reals, `perLine` values a line, zeroed or not.
  // The header's counts are given by the caller (some matrices declare a row
  // shape that differs from their line shape).
  void realLines(const std::vector<double> &values, int perLine, bool zeroed);
  // How long realLines's text of `count` values is: every value has the
  // same width.
  size_t realLinesBytes(size_t count, int perLine) const;

 private:
  void put(const char *text, size_t length) { out_.write(text, length); }

  TextOutput &out_;
  bool double_;
  char text_[kNumberTextMax];
};

// The header's name list: every entry 18 characters wide, four to a line.
// Named matrices are given by table index, edges by their numbers.
void writeNameList(TextOutput &out, const std::vector<int> &names, const std::vector<int> &edges);

}  // namespace qvb::convert
