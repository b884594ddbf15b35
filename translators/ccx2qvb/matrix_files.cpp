#include "matrix_files.h"

#include <cstring>
#include <stdexcept>

#include "platform/mapped_file.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {
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

SymmetricTriplets readSymmetric(const std::string &path, std::size_t order) {
  auto file = mapWhole(path);
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
      m.row.push_back(static_cast<size_t>(row - 1));
      m.col.push_back(static_cast<size_t>(col - 1));
      m.value.push_back(v);
    }
    const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    at = nl == nullptr ? end : nl + 1;
  }
  return m;
}

}  // namespace qvb::ccx2qvb
