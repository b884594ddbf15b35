#include "frd_results.h"

#include <cmath>
#include <vector>

#include "errors.h"
#include "result_file.h"
#include "text_scan.h"

namespace qvb::ccx2qvb {
namespace {

// The result blocks read, by set and kind, with their value counts.
class BlockTally {
 public:
  explicit BlockTally(const FrdExpectation &expected)
      : expected_(expected), counts_(2 * static_cast<std::size_t>(std::max(expected.sets, 0)), 0) {}
  void add(int set, FrdResult kind, std::size_t values) {
    if (set < 1 || set > expected_.sets) return;
    counts_[slot(set, kind)] += values;
  }
  // The first set and kind whose block is missing or incomplete, as text.
  std::string missing() const {
    for (int set = 1; set <= expected_.sets; ++set)
      for (FrdResult kind : {FrdResult::kStress, FrdResult::kStrain})
        if (counts_[slot(set, kind)] != expected_.nodes)
          return std::string(kind == FrdResult::kStress ? "stresses" : "strains") + " of result set " +
                 std::to_string(set) + " (" + std::to_string(counts_[slot(set, kind)]) + " of " +
                 std::to_string(expected_.nodes) + " nodes)";
    return {};
  }

 private:
  std::size_t slot(int set, FrdResult kind) const {
    return 2 * static_cast<std::size_t>(set - 1) + (kind == FrdResult::kStrain ? 1 : 0);
  }
  FrdExpectation expected_;
  std::vector<std::size_t> counts_;
};

}  // namespace

void readFrdResults(const std::string &path, const FrdExpectation &expected, const FrdConsumer &take) {
  const auto file = openResultFile(path);
  const char *begin = reinterpret_cast<const char *>(file->data());
  LineCursor cursor(begin, begin + file->size());
  std::string_view line;
  int set = 0;
  std::size_t values = 0;
  bool ended = false;
  enum { kOutside, kHeader, kValues, kOther } state = kOutside;
  FrdResult kind = FrdResult::kStress;
  BlockTally tally(expected);
  auto fail = [&](const char *what) {
    throw ResultFileError(path + ":" + std::to_string(cursor.lineNumber()) + ": " + what);
  };
  auto starts = [&line](const char *key) { return line.size() >= 3 && line.compare(0, 3, key) == 0; };
  auto takeValueLine = [&] {
    if (line.size() < 13 + 6 * 12) fail("short result line (the file is cut)");
    double node = 0, v[6];
    if (!fieldDouble(line.data() + 3, 10, &node)) fail("bad node number");
    for (int c = 0; c < 6; ++c)
      if (!fieldDouble(line.data() + 13 + 12 * c, 12, &v[c]) || !std::isfinite(v[c])) fail("bad result value");
    if (take(kind, set, static_cast<int>(node), v)) ++values;
  };
  while (cursor.next(&line)) {
    if (state == kHeader) {  // component descriptions, then the values
      if (starts(" -5")) continue;
      state = kValues;
    }
    if (state == kValues || state == kOther) {
      if (starts(" -1")) {
        if (state == kValues) takeValueLine();
        continue;
      }
      if (starts(" -2") || (state == kOther && starts(" -5"))) continue;  // parts of blocks not read
      if (!starts(" -3")) fail("unexpected line in a result block (the file is cut or garbled)");
      if (state == kValues) tally.add(set, kind, values);
      state = kOutside;
      continue;
    }
    const std::string_view t = trim(line);
    if (t == "9999") {
      ended = true;
      break;
    }
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
      values = 0;
      state = kOther;
      if (name == "STRESS") {
        kind = FrdResult::kStress;
        state = kHeader;
      } else if (name == "TOSTRAIN" || name == "STRAIN") {
        kind = FrdResult::kStrain;
        state = kHeader;
      }
    }
  }
  if (!ended) throw ResultFileError(path + " is cut: it has no end record (the solver did not finish it)");
  const std::string missing = tally.missing();
  if (!missing.empty()) throw ResultFileError(path + " lacks the " + missing + " that the job asked for");
}

}  // namespace qvb::ccx2qvb
