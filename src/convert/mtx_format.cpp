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

const char *StoredMatrixName(int index) {
  return index >= 0 && index < kMatrixNameCount ? kStoredNames[index] : "";
}

bool MtxWriter::MatrixHeader(int name, int seq, const char *storage, const char *order, int rows,
                             int int_columns, int real_columns, int short_columns) {
  const bool sparse = std::strcmp(storage, "SPARSE") == 0;
  if (!sparse && std::strcmp(storage, "FULL") != 0) {
    std::printf("\n**ERROR\a** Unknown matrix type %s\n\n", storage);
    return false;
  }
  std::string printed = StoredMatrixName(name);
  if (seq >= 0) printed += "_" + std::to_string(seq);
  const char *real = double_ ? "E22.14" : "E16.8";

  if (sparse) {
    std::fprintf(out_, "%-9s %-8s", printed.c_str(), storage);
    std::fprintf(out_, " %4d %4d %4d", rows, int_columns, real_columns);
    std::fprintf(out_, "   ( 2I8, %s )\n", real);
    return true;
  }
  const bool by_row = std::strcmp(order, "RORDER") == 0;
  const bool by_column = std::strcmp(order, "CORDER") == 0;
  std::fprintf(out_, "%-9s %-8s", printed.c_str(), storage);
  if (!by_row && !by_column) {
    std::printf("\n**ERROR\a** Unknown matrix order %s\n\n", order);
    return false;
  }
  std::fprintf(out_, "%-8s", order);
  if (by_column) {
    if (int_columns != 0) {
      std::printf("\n**ERROR\a** QVB2MTX cannot mix integers and reals in CORDER %s\n\n", order);
      return false;
    }
    // Column order prints the values per line first and the line count second.
    std::fprintf(out_, " %4d %4d %4d", real_columns, rows, rows * real_columns);
    std::fprintf(out_, "   ( %d%s )\n", real_columns, real);
    return true;
  }
  const int columns = int_columns + real_columns + short_columns;
  std::fprintf(out_, " %4d %4d %4d", rows, columns, rows * columns);
  if (real_columns == 0) std::fprintf(out_, "   ( %dI8", int_columns);
  else if (int_columns == 0) std::fprintf(out_, "   ( %d%s", real_columns, real);
  else std::fprintf(out_, "   ( %dI8, %d%s", int_columns, real_columns, real);
  if (short_columns >= 1) std::fprintf(out_, ", %dI4", short_columns);
  std::fputs(" )\n", out_);
  return true;
}

bool MtxWriter::Sparse(int name, int rows, int columns, const std::vector<double> &dense) {
  auto kept = [](double v) { return v > kTinyValue || v < -kTinyValue; };
  int entries = 0;
  for (double v : dense) entries += kept(v) ? 1 : 0;
  if (!MatrixHeader(name, -1, "SPARSE", "", rows, columns, entries == 0 ? 1 : entries, 0))
    return false;
  if (entries == 0) {
    Int(1);
    Int(1);
    Real(0.0);
    EndLine();
    return true;
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const double v = dense[static_cast<size_t>(r) * columns + c];
      if (!kept(v)) continue;
      Int(r + 1);
      Int(c + 1);
      Real(v);
      EndLine();
    }
  }
  return true;
}

void MtxWriter::RealLines(const std::vector<double> &values, int per_line, bool zeroed) {
  if (per_line <= 0) return;
  std::vector<double> zeroed_values;
  if (zeroed) {
    zeroed_values = values;
    for (double &v : zeroed_values) v = v < kTinyValue && v > -kTinyValue ? 0.0 : v;
  }
  const std::vector<double> &printed = zeroed ? zeroed_values : values;
  kernels::WriteRealLines(out_, printed.data(), printed.size(), per_line, double_ ? 22 : 16, double_ ? 14 : 8);
}

void WriteNameList(std::FILE *out, const std::vector<int> &names, const std::vector<int> &edges) {
  size_t written = 0;
  auto end_entry = [&] {
    if (++written % 4 == 0) std::fputc('\n', out);
  };
  for (int name : names) {
    std::fprintf(out, "%-18s", StoredMatrixName(name));
    end_entry();
  }
  for (int edge : edges) {
    std::fprintf(out, "EDGE_%-13d", edge);
    end_entry();
  }
  if (written % 4 != 0) std::fputc('\n', out);
}

}  // namespace qvb::convert
