// The significant digits printf's "%.PE" prints for a double, found with
// one 64 x 128-bit product instead of an exact big-number conversion.
//
// value x 10^q is formed from a 128-bit truncation of 10^q; its error is a
// few units in the 64th bit below the last digit, so the rounding to nearest
// is decided exactly unless the true value lies within that distance of a
// halfway point. Those values (exact ties among them, which printf rounds to
// even) are refused and left to the exact conversion, as are zeros,
// infinities, NaNs and precisions above 16. For doubles of full precision
// the refusal rate is about 2^-60; values with few significant bits (floats
// printed to nine digits, small integers) meet exact ties more often.
#pragma once

#include <cstdint>

namespace qvb::convert {

struct ScientificDigits {
  uint64_t digits;  // precision + 1 decimal digits: 10^precision <= digits < 10^(precision + 1)
  int exponent;     // value ~ digits x 10^(exponent - precision)
};

// The digits of |value| (its sign is not looked at). True with *out filled
// when the fast product decides them; false when the caller must use an
// exact conversion.
bool fastScientificDigits(double value, int precision, ScientificDigits *out);

}  // namespace qvb::convert
