#include "matrix_files.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "platform/mapped_file.h"
#include "text_scan.h"

namespace ccx2qvb {
namespace {

std::shared_ptr<const qvb::platform::MappedFile> mapWhole(const std::string &path) {
  std::string error;
  auto file = qvb::platform::MappedFile::open(path, &error);
  if (!file) throw std::runtime_error("cannot read " + path + ": " + error);
  file->willRead(file->data(), file->size());
  return file;
}

[[noreturn]] void bad(const std::string &path, long line, const char *what) {
  throw std::runtime_error(path + ":" + std::to_string(line) + ": " + what);
}

}  // namespace

std::vector<Dof> readDofs(const std::string &path) {
  auto file = mapWhole(path);
  const char *begin = reinterpret_cast<const char *>(file->data());
  LineCursor cursor(begin, begin + file->size());
  std::vector<Dof> dofs;
  std::string_view line;
  while (cursor.next(&line)) {
    if (trim(line).empty()) continue;
    const char *p = line.data(), *end = p + line.size();
    int64_t node = 0, direction = 0;
    p = scanInt(p, end, &node);
    if (p == nullptr || p == end || *p != '.') bad(path, cursor.lineNumber(), "expected node.direction");
    p = scanInt(p + 1, end, &direction);
    if (p == nullptr || direction < 1 || direction > 3) bad(path, cursor.lineNumber(), "expected node.direction");
    dofs.push_back({static_cast<int>(node), static_cast<int>(direction)});
  }
  return dofs;
}

SymmetricSparse readSymmetric(const std::string &path, int64_t n) {
  auto file = mapWhole(path);
  const char *at = reinterpret_cast<const char *>(file->data());
  const char *end = at + file->size();
  SymmetricSparse m;
  m.n = n;
  m.colStart.assign(static_cast<size_t>(n) + 1, 0);
  // About 40 bytes a line: reserve once instead of growing.
  const size_t guess = file->size() / 36 + 16;
  m.rowIndex.reserve(guess);
  m.value.reserve(guess);
  std::vector<int64_t> column;
  column.reserve(guess);
  long lineNumber = 0;
  int64_t lastColumn = 0;
  bool sorted = true;
  while (at < end) {
    ++lineNumber;
    int64_t row = 0, col = 0;
    double v = 0;
    const char *p = scanInt(at, end, &row);
    if (p != nullptr) p = scanInt(p, end, &col);
    if (p != nullptr) p = scanDouble(p, end, &v);
    if (p == nullptr) {
      // Allow blank lines (the file ends with one).
      const char *q = at;
      while (q < end && (isBlank(*q) || *q == '\r')) ++q;
      if (q < end && *q != '\n') bad(path, lineNumber, "expected row column value");
      p = q;
    } else {
      if (row < 1 || col < 1 || row > n || col > n || row > col)
        bad(path, lineNumber, "entry outside the upper triangle of the matrix");
      if (col < lastColumn) sorted = false;
      lastColumn = col;
      m.rowIndex.push_back(static_cast<int32_t>(row - 1));
      m.value.push_back(v);
      column.push_back(col - 1);
      ++m.colStart[static_cast<size_t>(col)];
    }
    const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    at = nl == nullptr ? end : nl + 1;
  }
  std::partial_sum(m.colStart.begin(), m.colStart.end(), m.colStart.begin());
  if (!sorted) {  // not the solver's own order: sort the entries by column, then row
    std::vector<size_t> order(m.value.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return column[a] != column[b] ? column[a] < column[b] : m.rowIndex[a] < m.rowIndex[b];
    });
    std::vector<int32_t> rows(order.size());
    std::vector<double> values(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
      rows[k] = m.rowIndex[order[k]];
      values[k] = m.value[order[k]];
    }
    m.rowIndex.swap(rows);
    m.value.swap(values);
  } else {  // within a column the solver writes rows ascending; make sure
    for (int64_t j = 0; j < n; ++j) {
      auto first = m.rowIndex.begin() + m.colStart[static_cast<size_t>(j)];
      auto last = m.rowIndex.begin() + m.colStart[static_cast<size_t>(j) + 1];
      if (!std::is_sorted(first, last)) {
        std::vector<std::pair<int32_t, double>> entries;
        for (auto it = first; it != last; ++it)
          entries.emplace_back(*it, m.value[static_cast<size_t>(it - m.rowIndex.begin())]);
        std::sort(entries.begin(), entries.end());
        for (size_t k = 0; k < entries.size(); ++k) {
          first[static_cast<long>(k)] = entries[k].first;
          m.value[static_cast<size_t>(first - m.rowIndex.begin()) + k] = entries[k].second;
        }
      }
    }
  }
  return m;
}

}  // namespace ccx2qvb
