// Number text for the matrix file, byte for byte what printf's "%W.PE" and
// "%Wd" produce, at several times the speed. The significant digits of a
// real come from one wide product (scientific_digits.h), eight characters
// are made at a time, and the few values that product cannot decide (exact
// ties, zeros, infinities, NaNs) go through std::to_chars's exact
// conversion; this file adds printf's spelling (upper-case E, INF, NAN,
// -NAN) and the right-aligned padding.
#pragma once

#include <cstddef>

namespace qvb::convert {

// Room enough for any text below with a width up to 40.
constexpr size_t kNumberTextMax = 64;

// printf("%*.*E", width, precision, value) into out (not NUL-terminated);
// returns the length. precision is 0..17, width at most 40 (so the text
// fits in kNumberTextMax).
size_t formatScientific(char *out, double value, int width, int precision);

// printf("%*d", width, value) into out; returns the length. width at most 40.
size_t formatInteger(char *out, long long value, int width);

// The matrix file's two real conversions: "%22.14E" or "%16.8E".
inline size_t formatReal(char *out, double value, bool doublePrecision) {
  return doublePrecision ? formatScientific(out, value, 22, 14) : formatScientific(out, value, 16, 8);
}

}  // namespace qvb::convert
