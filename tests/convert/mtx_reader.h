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
  std::map<std::pair<int, int>, double> Entries() const;
  std::vector<double> Values() const;
};

struct MtxFile {
  std::string header_line;
  int count = -1;
  std::vector<std::string> name_list;
  std::vector<std::string> name_list_lines;
  std::vector<MtxMatrix> matrices;

  const MtxMatrix *Find(const std::string &name) const;
  std::vector<std::string> Names() const;
};

// Parses `path`; problems of shape end up in the returned list (empty when
// the file is consistent).
std::vector<std::string> ReadMtx(const std::string &path, MtxFile &file);

}  // namespace convert_test
