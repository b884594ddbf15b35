// A symmetric sparse matrix as the solver stores it.
#pragma once

#include <cstdint>
#include <vector>

namespace ccx2qvb {

// A symmetric matrix stored as its upper triangle, compressed by column, 0-based:
// the entries of column j are rowIndex/value[colStart[j] .. colStart[j+1]), rows ascending, row <= j.
// This is exactly what .sti/.mas hold (upper triangle, column by column), so reading needs no sort.
struct SymmetricSparse {
  int64_t n = 0;
  std::vector<int64_t> colStart;  // n + 1 entries
  std::vector<int32_t> rowIndex;
  std::vector<double> value;
};

}  // namespace ccx2qvb
