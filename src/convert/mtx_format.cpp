#include "convert/mtx_format.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "convert/real_lines.h"

namespace qvb::convert {

namespace {

const char *const kStoredNames[kMatrixNameCount] = {
    "SELMOD   ", "SELNOD   ", "GENSTIFF ", "INVAR1   ", "INVAR2   ", "INVAR3   ",
    "INVAR4   ", "INVAR5   ", "INVAR6   ", "INVAR7   ", "INVAR8   ", "INVAR9   ",
    "T_MODE   ", "R_MODE   ", "PRELOAD  ", "MODLOAD  ", "GENDAMP  ", "EDGE",
    "RDAXIS  ",  "RDGYRO  ",  "RDCIRC  ",  "RDDIFF  "};

}  // namespace

const char *storedMatrixName(int index) {
  return index >= 0 && index < kMatrixNameCount ? kStoredNames[index] : "";
}

namespace {

// Appends printf-formatted text to a string.
void append(std::string &to, const char *format, ...) __attribute__((format(printf, 2, 3)));
void append(std::string &to, const char *format, ...) {
  char piece[128];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(piece, sizeof piece, format, arguments);
  va_end(arguments);
  if (length > 0) to.append(piece, std::min(static_cast<size_t>(length), sizeof piece - 1));
}

}  // namespace

bool MtxWriter::headerText(std::string &text, int name, int seq, const char *storage, const char *order, int rows,
                           int intColumns, int realColumns, int shortColumns) const {
  text.clear();
  const bool sparse = std::strcmp(storage, "SPARSE") == 0;
  if (!sparse && std::strcmp(storage, "FULL") != 0) {
    std::printf("\n**ERROR\a** Unknown matrix type %s\n\n", storage);
    return false;
  }
  std::string printed = storedMatrixName(name);
  if (seq >= 0) printed += "_" + std::to_string(seq);
  const char *real = double_ ? "E22.14" : "E16.8";
  append(text, "%-9s %-8s", printed.c_str(), storage);
  if (sparse) {
    append(text, " %4d %4d %4d", rows, intColumns, realColumns);
    append(text, "   ( 2I8, %s )\n", real);
    return true;
  }
  const bool byRow = std::strcmp(order, "RORDER") == 0;
  const bool byColumn = std::strcmp(order, "CORDER") == 0;
  if (!byRow && !byColumn) {
    std::printf("\n**ERROR\a** Unknown matrix order %s\n\n", order);
    return false;
  }
  append(text, "%-8s", order);
  if (byColumn) {
    if (intColumns != 0) {
      std::printf("\n**ERROR\a** QVB2MTX cannot mix integers and reals in CORDER %s\n\n", order);
      return false;
    }
    // Column order prints the values per line first and the line count second.
    append(text, " %4d %4d %4d", realColumns, rows, rows * realColumns);
    append(text, "   ( %d%s )\n", realColumns, real);
    return true;
  }
  const int columns = intColumns + realColumns + shortColumns;
  append(text, " %4d %4d %4d", rows, columns, rows * columns);
  if (realColumns == 0)
    append(text, "   ( %dI8", intColumns);
  else if (intColumns == 0)
    append(text, "   ( %d%s", realColumns, real);
  else
    append(text, "   ( %dI8, %d%s", intColumns, realColumns, real);
  if (shortColumns >= 1) append(text, ", %dI4", shortColumns);
  text += " )\n";
  return true;
}

bool MtxWriter::matrixHeader(int name, int seq, const char *storage, const char *order, int rows, int intColumns,
                             int realColumns, int shortColumns) {
  std::string text;
  const bool valid = headerText(text, name, seq, storage, order, rows, intColumns, realColumns, shortColumns);
  put(text.data(), text.size());  // a refused header leaves what it had written, as a stream would
  return valid;
}

bool MtxWriter::sparse(int name, int rows, int columns, const std::vector<double> &dense) {
  auto kept = [](double v) { return v > kTinyValue || v < -kTinyValue; };
  int entries = 0;
  for (double v : dense) entries += kept(v) ? 1 : 0;
  if (!matrixHeader(name, -1, "SPARSE", "", rows, columns, entries == 0 ? 1 : entries, 0))
    return false;
  if (entries == 0) {
    integer(1);
    integer(1);
    real(0.0);
    endLine();
    return true;
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const double v = dense[static_cast<size_t>(r) * columns + c];
      if (!kept(v)) continue;
      integer(r + 1);
      integer(c + 1);
      real(v);
      endLine();
    }
  }
  return true;
}

namespace {

// The values realLines prints: zeroed ones with those below kTinyValue as 0.0.
const double *printedValues(const std::vector<double> &values, bool zeroed, std::vector<double> &copy) {
  if (!zeroed) return values.data();
  copy = values;
  for (double &v : copy) v = v < kTinyValue && v > -kTinyValue ? 0.0 : v;
  return copy.data();
}

}  // namespace

void MtxWriter::realLines(const std::vector<double> &values, int perLine, bool zeroed) {
  if (perLine <= 0) return;
  std::vector<double> copy;
  out_.realLines(printedValues(values, zeroed, copy), values.size(), format(perLine));
}

size_t MtxWriter::realLinesBytes(size_t count, int perLine) const {
  return perLine <= 0 ? 0 : convert::realLinesBytes(0, count, perLine, width());
}

void writeNameList(TextOutput &out, const std::vector<int> &names, const std::vector<int> &edges) {
  std::string text;
  size_t written = 0;
  auto endEntry = [&] {
    if (++written % 4 == 0) text += '\n';
  };
  for (int name : names) {
    append(text, "%-18s", storedMatrixName(name));
    endEntry();
  }
  for (int edge : edges) {
    append(text, "EDGE_%-13d", edge);
    endEntry();
  }
  if (written % 4 != 0) text += '\n';
  out.write(text.data(), text.size());
}

}  // namespace qvb::convert
