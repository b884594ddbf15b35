#include "matrix_files.h"

#include <cmath>
#include <cstring>
#include <unordered_set>

#include "errors.h"
#include "result_file.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {
namespace {

[[noreturn]] void bad(const std::string &path, long line, const char *what) {
  throw ResultFileError(path + ":" + std::to_string(line) + ": " + what);
}

// A file cut while being written ends inside a line; its last number may
// still parse, so the cut is told by the missing line end.
void requireWholeLines(const std::string &path, const platform::MappedFile &file) {
  if (file.data()[file.size() - 1] != '\n') throw ResultFileError(path + " is cut: its last line has no end");
}

}  // namespace

std::vector<Dof> readDofs(const std::string &path) {
  const auto file = openResultFile(path);
  requireWholeLines(path, *file);
  const char *begin = reinterpret_cast<const char *>(file->data());
  LineCursor cursor(begin, begin + file->size());
  std::vector<Dof> dofs;
  std::unordered_set<int64_t> seen;
  std::string_view line;
  while (cursor.next(&line)) {
    if (trim(line).empty()) continue;
    const char *p = line.data(), *end = p + line.size();
    int64_t node = 0, direction = 0;
    p = scanInt(p, end, &node);
    if (p == nullptr || p == end || *p != '.') bad(path, cursor.lineNumber(), "expected node.direction");
    p = scanInt(p + 1, end, &direction);
    if (p == nullptr || direction < 1 || direction > 3) bad(path, cursor.lineNumber(), "expected node.direction");
    if (node < 1 || node > 2147483647 || !seen.insert(node * 4 + direction).second)
      bad(path, cursor.lineNumber(), "a degree of freedom that is out of range or listed twice");
    dofs.push_back({static_cast<int>(node), static_cast<int>(direction)});
  }
  if (dofs.empty()) throw ResultFileError(path + " lists no equations");
  return dofs;
}

SymmetricTriplets readSymmetric(const std::string &path, std::size_t order) {
  const auto file = openResultFile(path);
  requireWholeLines(path, *file);
  const char *at = reinterpret_cast<const char *>(file->data());
  const char *end = at + file->size();
  SymmetricTriplets m;
  m.order = order;
  // About 36 bytes a line: reserve once instead of growing.
  const size_t guess = file->size() / 32 + 16;
  m.row.reserve(guess);
  m.col.reserve(guess);
  m.value.reserve(guess);
  long lineNumber = 0;
  size_t diagonals = 0;
  const auto n = static_cast<int64_t>(order);
  while (at < end) {
    ++lineNumber;
    int64_t row = 0, col = 0;
    double v = 0;
    const char *p = scanInt(at, end, &row);
    if (p != nullptr) p = scanInt(p, end, &col);
    if (p != nullptr) p = scanDouble(p, end, &v);
    if (p == nullptr) {  // only a blank line may hold no entry
      const char *q = at;
      while (q < end && (isBlank(*q) || *q == '\r')) ++q;
      if (q < end && *q != '\n') bad(path, lineNumber, "expected row column value");
      p = q;
    } else {
      if (row < 1 || col < 1 || row > n || col > n || row > col)
        bad(path, lineNumber, "entry outside the upper triangle of the matrix");
      if (!std::isfinite(v)) bad(path, lineNumber, "a value that is not a finite number");
      if (row == col) ++diagonals;
      m.row.push_back(static_cast<size_t>(row - 1));
      m.col.push_back(static_cast<size_t>(col - 1));
      m.value.push_back(v);
    }
    const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    at = nl == nullptr ? end : nl + 1;
  }
  // Every equation has its diagonal (stiffness and mass are positive there);
  // a missing one means the file stops early.
  if (diagonals != order)
    throw ResultFileError(path + " holds " + std::to_string(diagonals) + " diagonal entries for " +
                          std::to_string(order) + " equations: the file is cut or belongs to another model");
  return m;
}

}  // namespace qvb::ccx2qvb
