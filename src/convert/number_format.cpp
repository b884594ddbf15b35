#include "convert/number_format.h"
#include "convert/reference_kernels_seam.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace qvb::convert {

namespace {

// Right-aligns text[0, length) in a field of width blanks, as printf does.
size_t PadLeft(char *out, const char *text, size_t length, int width) {
  const size_t field = width > 0 ? static_cast<size_t>(width) : 0;
  const size_t blanks = field > length ? field - length : 0;
  std::memset(out, ' ', blanks);
  std::memcpy(out + blanks, text, length);
  return blanks + length;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

size_t FormatScientific(char *out, double value, int width, int precision) {
#ifdef QVB_REFERENCE_KERNELS
  return reference::FormatScientific(out, value, width, precision);  // bench/'s baseline build only
#endif
  char text[kNumberTextMax];
  size_t length;
  if (std::isfinite(value)) {
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, precision);
    length = static_cast<size_t>(result.ptr - text);
    // The exponent is "e+dd" or "e+ddd"; only its letter differs from printf.
    char *e = text + length - 4;
    if (*e != 'e') --e;
    *e = 'E';
  } else {
    // printf spells these in capitals and keeps the sign of a NaN.
    const char *word = std::isnan(value) ? "NAN" : "INF";
    length = 0;
    if (std::signbit(value)) text[length++] = '-';
    for (const char *c = word; *c != '\0'; ++c) text[length++] = Upper(*c);
  }
  return PadLeft(out, text, length, width);
}

size_t FormatInteger(char *out, long long value, int width) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return PadLeft(out, text, static_cast<size_t>(result.ptr - text), width);
}

BufferedText::BufferedText(std::FILE *out, size_t capacity)
    : out_(out), buffer_(capacity < 2 * kNumberTextMax ? 2 * kNumberTextMax : capacity) {}

BufferedText::~BufferedText() { Flush(); }

void BufferedText::Text(const char *text, size_t length) {
  while (length > 0) {
    if (used_ == buffer_.size()) Flush();
    const size_t part = std::min(length, buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, text, part);
    used_ += part;
    text += part;
    length -= part;
  }
}

bool BufferedText::Flush() {
  if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, out_) != used_) ok_ = false;
  used_ = 0;
  return ok_;
}

namespace {

// Formats values [first, last) into out, which has room for them; returns
// the end of the text.
char *FormatRange(const double *values, size_t first, size_t last, int per_line, int width,
                  int precision, char *out) {
  const size_t line = per_line > 0 ? static_cast<size_t>(per_line) : 0;
  for (size_t i = first; i < last; ++i) {
    out += FormatScientific(out, values[i], width, precision);
    if (line > 0 && (i + 1) % line == 0) *out++ = '\n';
  }
  return out;
}

}  // namespace

bool WriteRealLines(std::FILE *out, const double *values, size_t count, int per_line, int width,
                    int precision) {
  // Values per chunk: large writes, while the text of one chunk (about
  // 1 MB) stays cheap to allocate and warm in cache.
  constexpr size_t kChunk = size_t{1} << 15;
  // Room per value: the padded text (at most 26 characters unpadded for
  // precisions up to 17) and a line end.
  const size_t per_value = static_cast<size_t>(std::max(width, 32)) + 1;
  std::vector<char> text(std::min(count, kChunk) * per_value);
  bool ok = true;
  for (size_t at = 0; at < count; at += kChunk) {
    const size_t end = std::min(count, at + kChunk);
    const size_t size = static_cast<size_t>(FormatRange(values, at, end, per_line, width, precision, text.data()) -
                                            text.data());
    ok = std::fwrite(text.data(), 1, size, out) == size && ok;
  }
  return ok;
}

}  // namespace qvb::convert
