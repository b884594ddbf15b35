#include "convert/mtx_format.h"

#include <cstring>

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

bool MtxWriter::matrixHeader(int name, int seq, const char *storage, const char *order, int rows,
                             int intColumns, int realColumns, int shortColumns) {
  const bool sparse = std::strcmp(storage, "SPARSE") == 0;
  if (!sparse && std::strcmp(storage, "FULL") != 0) {
    std::printf("\n**ERROR\a** Unknown matrix type %s\n\n", storage);
    return false;
  }
  std::string printed = storedMatrixName(name);
  if (seq >= 0) printed += "_" + std::to_string(seq);
  const char *real = double_ ? "E22.14" : "E16.8";

  if (sparse) {
    std::fprintf(out_, "%-9s %-8s", printed.c_str(), storage);
    std::fprintf(out_, " %4d %4d %4d", rows, intColumns, realColumns);
    std::fprintf(out_, "   ( 2I8, %s )\n", real);
    return true;
  }
  const bool byRow = std::strcmp(order, "RORDER") == 0;
  const bool byColumn = std::strcmp(order, "CORDER") == 0;
  std::fprintf(out_, "%-9s %-8s", printed.c_str(), storage);
  if (!byRow && !byColumn) {
    std::printf("\n**ERROR\a** Unknown matrix order %s\n\n", order);
    return false;
  }
  std::fprintf(out_, "%-8s", order);
  if (byColumn) {
    if (intColumns != 0) {
      std::printf("\n**ERROR\a** QVB2MTX cannot mix integers and reals in CORDER %s\n\n", order);
      return false;
    }
    // Column order prints the values per line first and the line count second.
    std::fprintf(out_, " %4d %4d %4d", realColumns, rows, rows * realColumns);
    std::fprintf(out_, "   ( %d%s )\n", realColumns, real);
    return true;
  }
  const int columns = intColumns + realColumns + shortColumns;
  std::fprintf(out_, " %4d %4d %4d", rows, columns, rows * columns);
  if (realColumns == 0) std::fprintf(out_, "   ( %dI8", intColumns);
  else if (intColumns == 0) std::fprintf(out_, "   ( %d%s", realColumns, real);
  else std::fprintf(out_, "   ( %dI8, %d%s", intColumns, realColumns, real);
  if (shortColumns >= 1) std::fprintf(out_, ", %dI4", shortColumns);
  std::fputs(" )\n", out_);
  return true;
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

void MtxWriter::realLines(const std::vector<double> &values, int perLine, bool zeroed) {
  if (perLine <= 0) return;
  std::vector<double> zeroedValues;
  if (zeroed) {
    zeroedValues = values;
    for (double &v : zeroedValues) v = v < kTinyValue && v > -kTinyValue ? 0.0 : v;
  }
  const std::vector<double> &printed = zeroed ? zeroedValues : values;
  kernels::writeRealLinesOnThreads(out_, printed.data(), printed.size(), perLine, double_ ? 22 : 16,
                                   double_ ? 14 : 8, threads_);
}

void writeNameList(std::FILE *out, const std::vector<int> &names, const std::vector<int> &edges) {
  size_t written = 0;
  auto endEntry = [&] {
    if (++written % 4 == 0) std::fputc('\n', out);
  };
  for (int name : names) {
    std::fprintf(out, "%-18s", storedMatrixName(name));
    endEntry();
  }
  for (int edge : edges) {
    std::fprintf(out, "EDGE_%-13d", edge);
    endEntry();
  }
  if (written % 4 != 0) std::fputc('\n', out);
}

}  // namespace qvb::convert
