// Reads an MTX matrix file back and checks its own consistency: the count
// line, the name list and the matrices present agree, and every matrix's
// header counts match its records.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace convert_test {

struct MtxMatrix {
  std::string name, storage, order, descriptor;
  int counts[3] = {0, 0, 0};
  std::vector<std::vector<double>> lines;  // the numbers of each record line
  std::vector<std::string> text;           // the record lines as written

  // Sparse matrices as (row, column) -> value; full ones as all values in order.
  std::map<std::pair<int, int>, double> entries() const;
  std::vector<double> allValues() const;
};

struct MtxFile {
  std::string headerLine;
  int count = -1;
  std::vector<std::string> nameList;
  std::vector<std::string> nameListLines;
  std::vector<MtxMatrix> matrices;

  const MtxMatrix *find(const std::string &name) const;
  std::vector<std::string> names() const;
};

// Parses `path`; problems of shape end up in the returned list (empty when
// the file is consistent).
std::vector<std::string> readMtx(const std::string &path, MtxFile &file);

// Expects the matrix (non-null) to hold these values in order, each within
// `tolerance` times its magnitude (at least 1).
void expectValues(const MtxMatrix *m, const std::vector<double> &expected, double tolerance);

}  // namespace convert_test
