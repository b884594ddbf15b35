#include "mtx_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace convert_test {

namespace {

std::string trim(const std::string &s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool isHeaderLine(const std::string &line) { return !line.empty() && line[0] >= 'A' && line[0] <= 'Z'; }

}  // namespace

std::map<std::pair<int, int>, double> MtxMatrix::entries() const {
  std::map<std::pair<int, int>, double> entries;
  for (const auto &line : lines)
    if (line.size() == 3) entries[{static_cast<int>(line[0]), static_cast<int>(line[1])}] = line[2];
  return entries;
}

std::vector<double> MtxMatrix::allValues() const {
  std::vector<double> values;
  for (const auto &line : lines) values.insert(values.end(), line.begin(), line.end());
  return values;
}

const MtxMatrix *MtxFile::find(const std::string &name) const {
  for (const MtxMatrix &m : matrices)
    if (m.name == name) return &m;
  return nullptr;
}

std::vector<std::string> MtxFile::names() const {
  std::vector<std::string> names;
  for (const MtxMatrix &m : matrices) names.push_back(m.name);
  return names;
}

std::vector<std::string> readMtx(const std::string &path, MtxFile &file) {
  std::vector<std::string> problems;
  std::ifstream in(path);
  if (!in) return {"cannot open " + path};
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (lines.size() < 2) return {"no header"};
  file.headerLine = lines[0];
  file.count = std::atoi(lines[1].c_str());
  if (lines[1] != std::to_string(file.count)) problems.push_back("count line: " + lines[1]);

  size_t at = 2;
  while (at < lines.size() && static_cast<int>(file.nameList.size()) < file.count) {
    const std::string &line = lines[at++];
    file.nameListLines.push_back(line);
    if (line.size() % 18 != 0 || line.empty() || line.size() > 72) problems.push_back("name list line width: " + line);
    for (size_t p = 0; p < line.size(); p += 18) file.nameList.push_back(trim(line.substr(p, 18)));
  }
  for (size_t i = 0; i + 1 < file.nameListLines.size(); ++i)
    if (file.nameListLines[i].size() != 72) problems.push_back("short name list line before the last");

  while (at < lines.size()) {
    const std::string &header = lines[at++];
    if (!isHeaderLine(header)) {
      problems.push_back("expected a matrix header: " + header);
      break;
    }
    MtxMatrix m;
    std::istringstream words(header);
    words >> m.name >> m.storage;
    if (m.storage == "FULL") words >> m.order;
    words >> m.counts[0] >> m.counts[1] >> m.counts[2];
    std::getline(words, m.descriptor);
    m.descriptor = trim(m.descriptor);
    while (at < lines.size() && !isHeaderLine(lines[at])) {
      m.text.push_back(lines[at]);
      std::istringstream numbers(lines[at++]);
      std::vector<double> values;
      for (double v; numbers >> v;) values.push_back(v);
      m.lines.push_back(values);
    }
    if (m.storage == "SPARSE") {
      if (static_cast<int>(m.lines.size()) != m.counts[2]) problems.push_back(m.name + ": entry count differs from records");
      for (const auto &line : m.lines)
        if (line.size() != 3 || line[0] < 1 || line[0] > m.counts[0] || line[1] < 1 || line[1] > m.counts[1])
          problems.push_back(m.name + ": bad sparse record");
    } else if (m.storage == "FULL") {
      if (static_cast<int>(m.allValues().size()) != m.counts[2]) problems.push_back(m.name + ": value count differs from header");
      if (m.counts[0] * m.counts[1] != m.counts[2]) problems.push_back(m.name + ": counts do not multiply");
    } else {
      problems.push_back(m.name + ": unknown storage " + m.storage);
    }
    file.matrices.push_back(std::move(m));
  }
  if (static_cast<int>(file.matrices.size()) != file.count) problems.push_back("count line differs from the matrices present");
  // The list is in name-table order, the matrices in write order: compare as sets.
  std::vector<std::string> listed = file.nameList, present = file.names();
  std::sort(listed.begin(), listed.end());
  std::sort(present.begin(), present.end());
  if (listed != present) problems.push_back("name list differs from the matrices present");
  return problems;
}

void expectValues(const MtxMatrix *m, const std::vector<double> &expected, double tolerance) {
  ASSERT_NE(m, nullptr);
  const std::vector<double> got = m->allValues();
  ASSERT_EQ(got.size(), expected.size()) << m->name;
  for (size_t i = 0; i < got.size(); ++i)
    EXPECT_NEAR(got[i], expected[i], tolerance * std::max(1.0, std::fabs(expected[i]))) << m->name << " value " << i;
}

}  // namespace convert_test
