// The readable dump of one block, in the body's current units.
#include "block_dump.h"
#include "block_table.h"
#include "slot_support.h"

namespace qvb::body {

double BlockDump::factor(Dimension d) const { return toCurrent(b_, d); }

void BlockDump::values(const char *label, const double *v, size_t n, double factor) {
  std::fprintf(out_, "  %s:", label);
  for (size_t k = 0; k < n; ++k) std::fprintf(out_, " %.15E", v[k] * factor);
  std::fprintf(out_, "\n");
}

void BlockDump::ints(const char *label, const std::vector<int> &v) {
  std::fprintf(out_, "  %s (%zu):", label, v.size());
  for (int x : v) std::fprintf(out_, " %d", x);
  std::fprintf(out_, "\n");
}

void BlockDump::sparse(const SparseModeMatrix &m, Dimension d) {
  std::fprintf(out_, "  %zu entries (row mode, column mode, value)\n", m.size());
  for (const auto &[key, value] : m)
    std::fprintf(out_, "  %8d %8d %.15E\n", key.first, key.second, value * toCurrent(b_, d));
}

void BlockDump::kind(int which, bool initialOnly) {
  const ModeKindData &k = b_.kinds[which];
  double f0 = toCurrent(b_, modeDimension(which, 0)), f1 = toCurrent(b_, modeDimension(which, 1));
  std::fprintf(out_, "  %d mode nodes\n", k.nodes.size());
  auto print = [&](int number, const ModeValues &values) {
    if (values.empty()) return;
    std::fprintf(out_, "  mode %d\n", number);
    for (int p = 0; p < k.nodes.size(); ++p) {
      const double *v = values.data() + static_cast<size_t>(p) * 6;
      std::fprintf(out_, "  %8d %.15E %.15E %.15E %.15E %.15E %.15E\n", k.nodes.ids()[p], v[0] * f0, v[1] * f0,
                   v[2] * f0, v[3] * f1, v[4] * f1, v[5] * f1);
    }
  };
  if (initialOnly) print(0, k.initial);
  else
    for (int i = 0; i < b_.modeCount(); ++i) print(b_.modeNumbers()[i], k.modes[i]);
}

void BlockDump::perMode(const ModeVector &v, Dimension d) {
  for (int i = 0; i < v.size(); ++i) {
    char label[32];
    std::snprintf(label, sizeof label, "mode %d", b_.modeNumbers()[i]);
    values(label, v.at(i), v.width, toCurrent(b_, d));
  }
}

void BlockDump::pairs(const ModeMatrix &m, Dimension d) {
  for (int i = 0; i < m.size; ++i)
    for (int j = 0; j < m.size; ++j) {
      char label[48];
      std::snprintf(label, sizeof label, "modes %d %d", b_.modeNumbers()[i], b_.modeNumbers()[j]);
      values(label, m.cell(i, j), m.width, toCurrent(b_, d));
    }
}

void writeContents(const Body &body, int block, std::FILE *stream) {
  const BlockLayout *layout = findBlock(block);
  if (layout == nullptr) return;
  const bool present = layout->present(body);
  std::fprintf(stream, "Block %d %s:%s\n", block, layout->name, present ? "" : " not present");
  if (!present) return;
  BlockDump dump(body, stream);
  layout->dump(dump, body);
}

}  // namespace qvb::body
