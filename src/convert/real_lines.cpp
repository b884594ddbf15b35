#include "convert/real_lines.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "convert/number_format.h"

namespace qvb::convert {

namespace {

// Formats values [from, to) into out, which has room for them; returns the
// end of the text. Line ends are counted from `first`, values[0]'s index.
char *formatRange(const double *values, size_t from, size_t to, size_t first, int perLine, int width, int precision,
                  char *out) {
  const size_t line = perLine > 0 ? static_cast<size_t>(perLine) : 0;
  for (size_t i = from; i < to; ++i) {
    out += formatScientific(out, values[i], width, precision);
    if (line > 0 && (first + i + 1) % line == 0) *out++ = '\n';
  }
  return out;
}

}  // namespace

bool writeRealLines(std::FILE *out, const double *values, size_t count, int perLine, int width, int precision,
                    size_t first) {
  // Values per chunk: large writes, while the text of one chunk (about
  // 1 MB) stays cheap to allocate and warm in cache.
  constexpr size_t kChunk = size_t{1} << 15;
  // Room per value: the padded text (at most 26 characters unpadded for
  // precisions up to 17) and a line end.
  const size_t perValue = static_cast<size_t>(std::max(width, 32)) + 1;
  std::vector<char> text(std::min(count, kChunk) * perValue);
  bool ok = true;
  for (size_t at = 0; at < count; at += kChunk) {
    const size_t end = std::min(count, at + kChunk);
    const size_t size =
        static_cast<size_t>(formatRange(values, at, end, first, perLine, width, precision, text.data()) - text.data());
    ok = std::fwrite(text.data(), 1, size, out) == size && ok;
  }
  return ok;
}

bool formatRealLinesInPlace(char *place, size_t bytes, const double *values, size_t count, size_t first, int perLine,
                            int width, int precision) {
  const size_t line = perLine > 0 ? static_cast<size_t>(perLine) : 0;
  // Each value's text may run to kNumberTextMax: one that is wider than the
  // fixed width claimed is made aside, so that it cannot spill past the
  // place into text another thread is making.
  char spill[kNumberTextMax];
  char *at = place, *end = place + bytes;
  for (size_t i = 0; i < count; ++i) {
    if (static_cast<size_t>(end - at) >= kNumberTextMax + 1) {
      at += formatScientific(at, values[i], width, precision);
    } else {
      const size_t length = formatScientific(spill, values[i], width, precision);
      if (length > static_cast<size_t>(end - at)) return false;
      std::memcpy(at, spill, length);
      at += length;
    }
    if (line > 0 && (first + i + 1) % line == 0) {
      if (at == end) return false;
      *at++ = '\n';
    }
  }
  return at == end;
}

}  // namespace qvb::convert
