#include "frd_results.h"

#include <stdexcept>

#include "platform/mapped_file.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {

int readFrdResults(const std::string &path, const FrdConsumer &take) {
  std::string error;
  auto file = qvb::platform::MappedFile::open(path, &error);
  if (!file) throw std::runtime_error("cannot read " + path + ": " + error);
  file->willRead(file->data(), file->size());
  const char *begin = reinterpret_cast<const char *>(file->data());
  LineCursor cursor(begin, begin + file->size());
  std::string_view line;
  int set = 0, blocks = 0;
  enum { Outside, Header, Values } state = Outside;
  FrdResult kind = FrdResult::Stress;
  auto fail = [&](const char *what) {
    throw std::runtime_error(path + ":" + std::to_string(cursor.lineNumber()) + ": " + what);
  };
  auto starts = [&line](const char *key) { return line.size() >= 3 && line.compare(0, 3, key) == 0; };
  auto takeValueLine = [&] {
    if (line.size() < 13 + 6 * 12) fail("short result line");
    double node = 0, v[6];
    if (!fieldDouble(line.data() + 3, 10, &node)) fail("bad node number");
    for (int c = 0; c < 6; ++c)
      if (!fieldDouble(line.data() + 13 + 12 * c, 12, &v[c])) fail("bad result value");
    take(kind, set, static_cast<int>(node), v);
  };
  while (cursor.next(&line)) {
    if (state == Header) {  // component descriptions, then the values
      if (starts(" -5")) continue;
      state = Values;
      if (!starts(" -1") && !starts(" -3")) continue;  // anything else before the values is skipped
    }
    if (state == Values) {
      if (starts(" -1")) {
        takeValueLine();
        continue;
      }
      if (starts(" -3")) {
        state = Outside;
        ++blocks;
        continue;
      }
      fail("unexpected line in a result block");
    }
    const std::string_view t = trim(line);
    if (t.size() > 6 && t.compare(0, 6, "1PMODE") == 0) {
      double m = 0;
      if (!fieldDouble(t.data() + 6, t.size() - 6, &m)) fail("bad mode number");
      set = static_cast<int>(m);
    } else if (t.size() > 6 && t.compare(0, 6, "1PSTEP") == 0) {  // set, increment, step
      const size_t last = t.find_last_of(' ');
      double step = 0;
      if (last == std::string_view::npos || !fieldDouble(t.data() + last + 1, t.size() - last - 1, &step))
        fail("bad step number");
      set = static_cast<int>(step);
    } else if (t.size() > 2 && t.compare(0, 2, "-4") == 0) {
      const std::string_view name = trim(t.substr(2, 10));
      if (name == "STRESS") {
        kind = FrdResult::Stress;
        state = Header;
      } else if (name == "TOSTRAIN" || name == "STRAIN") {
        kind = FrdResult::Strain;
        state = Header;
      }
    }
  }
  return blocks;
}

}  // namespace qvb::ccx2qvb
