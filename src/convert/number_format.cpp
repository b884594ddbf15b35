#include "kernels/number_format.h"
#include "kernels/reference_kernels_seam.h"
#include "kernels/scientific_digits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace qvb::kernels {

namespace {

// Right-aligns text[0, length) in a field of width blanks, as printf does.
size_t padLeft(char *out, const char *text, size_t length, int width) {
  const size_t field = width > 0 ? static_cast<size_t>(width) : 0;
  const size_t blanks = field > length ? field - length : 0;
  std::memset(out, ' ', blanks);
  std::memcpy(out + blanks, text, length);
  return blanks + length;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void writePair(char *out, uint32_t value) { std::memcpy(out, kDigitPairs + 2 * value, 2); }

// The eight decimal digits of value < 10^8 as characters, the first in the
// lowest byte (memory order on a little-endian machine), by splitting into
// lanes of one word: two of four digits, four of two, eight of one. Each
// division by a constant is a multiply and shift exact for its lane's range.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "EightDigits stores its lanes little-endian");
uint64_t eightDigits(uint32_t value) {
  uint64_t lanes = (value / 10000) | (static_cast<uint64_t>(value % 10000) << 32);
  uint64_t high = ((lanes * 10486) >> 20) & 0x0000007F0000007Full;  // / 100
  lanes = high | ((lanes - high * 100) << 16);
  high = ((lanes * 103) >> 10) & 0x000F000F000F000Full;  // / 10
  lanes = high | ((lanes - high * 10) << 8);
  return lanes + 0x3030303030303030ull;
}

// The count low decimal digits of value, leading zeros kept, ending at end:
// eight at a time, then four in two independent pairs, then pairs.
void writeDigits(char *end, uint64_t value, int count) {
  for (; count >= 8; count -= 8, value /= 100000000) {
    const uint64_t text = eightDigits(static_cast<uint32_t>(value % 100000000));
    std::memcpy(end -= 8, &text, 8);
  }
  if (count >= 4) {
    const uint32_t group = static_cast<uint32_t>(value % 10000);
    writePair(end -= 2, group % 100);
    writePair(end -= 2, group / 100);
    value /= 10000;
    count -= 4;
  }
  for (; count >= 2; count -= 2, value /= 100) writePair(end -= 2, static_cast<uint32_t>(value % 100));
  if (count == 1) *--end = static_cast<char>('0' + value % 10);
}

// The precision + 1 digits with a point after the first, at out; returns
// the end. All digits go one place to the right, then the first moves
// before the point.
char *writeMantissa(char *out, uint64_t digits, int precision) {
  writeDigits(out + precision + 2, digits, precision + 1);
  out[0] = out[1];
  out[1] = '.';
  return out + precision + 2;
}

// printf's "%*.*E" text of digits x 10^(exponent - precision), right-aligned.
size_t writeScientific(char *out, bool negative, const ScientificDigits &d, int width, int precision) {
  const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
  const int exponentDigits = magnitude >= 100 ? 3 : 2;
  const int length = (negative ? 1 : 0) + 1 + (precision > 0 ? precision + 1 : 0) + 2 + exponentDigits;
  const int blanks = width > length ? width - length : 0;
  // One or two blanks as a rule: a loop is cheaper here than a call to memset.
  for (int i = 0; i < blanks; ++i) out[i] = ' ';
  char *at = out + blanks;
  if (negative) *at++ = '-';
  if (precision > 0) {
    at = writeMantissa(at, d.digits, precision);
  } else {
    *at++ = static_cast<char>('0' + d.digits);
  }
  *at++ = 'E';
  *at++ = d.exponent < 0 ? '-' : '+';
  if (exponentDigits == 3) {
    *at++ = static_cast<char>('0' + magnitude / 100);
    writePair(at, static_cast<uint32_t>(magnitude % 100));
  } else {
    writePair(at, static_cast<uint32_t>(magnitude));
  }
  return static_cast<size_t>(blanks + length);
}

}  // namespace

size_t formatScientific(char *out, double value, int width, int precision) {
#ifdef QVB_REFERENCE_KERNELS
  return reference::formatScientific(out, value, width, precision);  // bench/'s baseline build only
#endif
  ScientificDigits digits;
  if (fastScientificDigits(value, precision, &digits))
    return writeScientific(out, std::signbit(value), digits, width, precision);
  // Zeros, infinities, NaNs and the rare values too near a rounding tie for
  // the fast product: the exact conversion.
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
    for (const char *c = word; *c != '\0'; ++c) text[length++] = upper(*c);
  }
  return padLeft(out, text, length, width);
}

size_t formatInteger(char *out, long long value, int width) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return padLeft(out, text, static_cast<size_t>(result.ptr - text), width);
}

BufferedText::BufferedText(std::FILE *out, size_t capacity)
    : out_(out), buffer_(capacity < 2 * kNumberTextMax ? 2 * kNumberTextMax : capacity) {}

BufferedText::~BufferedText() { flush(); }

void BufferedText::text(const char *text, size_t length) {
  while (length > 0) {
    if (used_ == buffer_.size()) flush();
    const size_t part = std::min(length, buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, text, part);
    used_ += part;
    text += part;
    length -= part;
  }
}

bool BufferedText::flush() {
  if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, out_) != used_) ok_ = false;
  used_ = 0;
  return ok_;
}

namespace {

// Formats values [first, last) into out, which has room for them; returns
// the end of the text.
char *formatRange(const double *values, size_t first, size_t last, int perLine, int width,
                  int precision, char *out) {
  const size_t line = perLine > 0 ? static_cast<size_t>(perLine) : 0;
  for (size_t i = first; i < last; ++i) {
    out += formatScientific(out, values[i], width, precision);
    if (line > 0 && (i + 1) % line == 0) *out++ = '\n';
  }
  return out;
}

}  // namespace

bool writeRealLines(std::FILE *out, const double *values, size_t count, int perLine, int width,
                    int precision) {
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
    const size_t size = static_cast<size_t>(formatRange(values, at, end, perLine, width, precision, text.data()) -
                                            text.data());
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

}  // namespace qvb::kernels
