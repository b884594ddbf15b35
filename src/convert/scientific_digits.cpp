#include "convert/scientific_digits.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace qvb::convert {

namespace {

using UInt128 = unsigned __int128;

// 10^q ~ high:low x 2^shift with bit 127 of high:low set, truncated (never
// above the true power), for every q a double's digits can need.
struct Power {
  uint64_t high, low;
  int shift;
};

constexpr int kMinPower = -320, kMaxPower = 350;

// The top 128 bits of a big number (words least significant first), and how
// many bits lie below them (negative when the number has fewer than 128).
Power topBits(const std::vector<uint64_t> &words) {
  size_t top = words.size() - 1;
  while (top > 0 && words[top] == 0) --top;
  const int bits = static_cast<int>(top) * 64 + (64 - __builtin_clzll(words[top]));
  // Gathers the 128 bits ending at bit `bits` (exclusive), zeros below bit 0.
  auto bitWord = [&](int lowest) -> uint64_t {
    uint64_t word = 0;
    for (int b = 0; b < 64; ++b) {
      const int at = lowest + b;
      if (at >= 0 && (words[static_cast<size_t>(at / 64)] >> (at % 64) & 1)) word |= uint64_t{1} << b;
    }
    return word;
  };
  return {bitWord(bits - 64), bitWord(bits - 128), bits - 128};
}

// Built once, exactly: powers of 5 by multiplying a big number, powers of
// 1/5 by dividing 2^1152 repeatedly (floor division composes, so each step
// is the exact floor of 2^1152 / 5^n). 10^q = 5^q x 2^q.
struct PowerTable {
  Power powers[kMaxPower - kMinPower + 1];
  // The doubles nearest 10^q, to tell on which side of a power of ten a
  // value lies; one off at the edge only costs a second product.
  double tens[kMaxPower - kMinPower + 1];

  // Out of line: inlined into its one caller it would crowd the hot path.
  [[gnu::noinline]] PowerTable() {
    std::vector<uint64_t> five(14, 0);
    five[0] = 1;
    for (int q = 0; q <= kMaxPower; ++q) {
      Power p = topBits(five);
      p.shift += q;
      powers[q - kMinPower] = p;
      uint64_t carry = 0;
      for (uint64_t &w : five) {
        const UInt128 product = static_cast<UInt128>(w) * 5 + carry;
        w = static_cast<uint64_t>(product);
        carry = static_cast<uint64_t>(product >> 64);
      }
    }
    constexpr int kScale = 1152;
    std::vector<uint64_t> fifth(kScale / 64 + 1, 0);
    fifth.back() = 1;
    for (int n = 1; n <= -kMinPower; ++n) {
      UInt128 remainder = 0;
      for (size_t i = fifth.size(); i-- > 0;) {
        const UInt128 part = (remainder << 64) | fifth[i];
        fifth[i] = static_cast<uint64_t>(part / 5);
        remainder = part % 5;
      }
      Power p = topBits(fifth);
      p.shift -= n + kScale;
      powers[-n - kMinPower] = p;
    }
    for (int q = kMinPower; q <= kMaxPower; ++q) {
      const Power &p = powers[q - kMinPower];
      tens[q - kMinPower] = std::ldexp(static_cast<double>(p.high >> 11), p.shift + 64 + 11);
    }
  }
};

const PowerTable &powerTable() {
  static const PowerTable table;
  return table;
}

constexpr uint64_t kTens[] = {1ull,
                              10ull,
                              100ull,
                              1000ull,
                              10000ull,
                              100000ull,
                              1000000ull,
                              10000000ull,
                              100000000ull,
                              1000000000ull,
                              10000000000ull,
                              100000000000ull,
                              1000000000000ull,
                              10000000000000ull,
                              100000000000000ull,
                              1000000000000000ull,
                              10000000000000000ull,
                              100000000000000000ull};

constexpr int kMaxPrecision = 16;

}  // namespace

bool fastScientificDigits(double value, int precision, ScientificDigits *out) {
  if (precision < 0 || precision > kMaxPrecision) return false;
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  bits &= ~(uint64_t{1} << 63);
  const int biased = static_cast<int>(bits >> 52);
  uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  if (biased == 0x7ff || bits == 0) return false;
  int binaryExponent = -1074;
  if (biased != 0) {
    mantissa |= uint64_t{1} << 52;
    binaryExponent = biased - 1075;
  }
  // magnitude = mantissa x 2^binaryExponent, mantissa with bit 63 set.
  const int lead = __builtin_clzll(mantissa);
  mantissa <<= lead;
  binaryExponent -= lead;

  // floor(log10(magnitude)) is floor(log10(2^e)) or one more, for
  // magnitude in [2^e, 2^(e+1)); (e x 78913) >> 18 is that floor for every
  // exponent a double has (arithmetic right shift of a negative product, as
  // every supported compiler does it). The nearest double to the next power
  // of ten decides between the two; a wrong decision, possible only right at
  // that power, shows as a digit count out of range and is corrected below.
  const PowerTable &table = powerTable();
  int exponent = ((binaryExponent + 63) * 78913) >> 18;
  if (exponent + 1 <= kMaxPower && std::fabs(value) >= table.tens[exponent + 1 - kMinPower]) ++exponent;
  const uint64_t lowest = kTens[precision], limit = kTens[precision + 1];
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int q = precision - exponent;
    if (q < kMinPower || q > kMaxPower) return false;
    const Power &p = table.powers[q - kMinPower];
    // mantissa x (high:low) = w2:w1:w0, magnitude x 10^q ~ w2:w1:w0 x 2^-(128 + r).
    const UInt128 lowProduct = static_cast<UInt128>(mantissa) * p.low;
    const UInt128 highProduct = static_cast<UInt128>(mantissa) * p.high;
    const UInt128 middle = (lowProduct >> 64) + static_cast<uint64_t>(highProduct);
    const uint64_t w1 = static_cast<uint64_t>(middle);
    const uint64_t w2 = static_cast<uint64_t>(highProduct >> 64) + static_cast<uint64_t>(middle >> 64);
    const int r = -(binaryExponent + p.shift) - 128;
    if (r < 1 || r > 63) return false;
    const uint64_t whole = w2 >> r;
    if (whole >= limit) {
      ++exponent;
      continue;
    }
    if (whole < lowest) {
      --exponent;
      continue;
    }
    // The fraction's top 64 bits. The truncations (of 10^q and of w0) put
    // the true fraction in [fraction, fraction + 2] units of 2^-64; refuse
    // anything that close to one half.
    const uint64_t fraction = (w2 << (64 - r)) | (w1 >> r);
    constexpr uint64_t kHalf = uint64_t{1} << 63, kMargin = 8;
    if (fraction > kHalf - kMargin && fraction < kHalf + kMargin) return false;
    uint64_t digits = whole + (fraction > kHalf ? 1 : 0);
    if (digits == limit) {  // 9.99...95 and up round to the next decade
      digits = lowest;
      ++exponent;
    }
    out->digits = digits;
    out->exponent = exponent;
    return true;
  }
  return false;
}

}  // namespace qvb::convert
