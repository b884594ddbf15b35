#include "convert/number_format.h"

#include "convert/scientific_digits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace qvb::convert {

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

}  // namespace qvb::convert
