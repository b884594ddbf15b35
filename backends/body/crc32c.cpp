#include "crc32c.h"

#include <cstring>

#if defined(__x86_64__)
#include <nmmintrin.h>
#endif

namespace qvb::body {
namespace {

// Slicing-by-8 tables for the reflected polynomial 0x82F63B78.
struct Tables {
  uint32_t t[8][256];
  Tables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0x82F63B78u & (0u - (c & 1u)));
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
      for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  }
};

uint32_t softwareCrc(uint32_t crc, const unsigned char *p, size_t n) {
  static const Tables tables;
  const auto &t = tables.t;
  while (n >= 8) {
    uint32_t lo, hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + 4, 4);
    lo ^= crc;  // little-endian hosts only, as the file format itself
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
          t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    p += 8;
    n -= 8;
  }
  while (n--) crc = (crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF];
  return crc;
}

#if defined(__x86_64__)
constexpr uint32_t kPolynomial = 0x82F63B78u;

// a(x) b(x) modulo the CRC polynomial, bit-reflected as the register is
// (bit 31 holds x^0).
uint32_t multiplyModP(uint32_t a, uint32_t b) {
  uint32_t product = 0;
  for (uint32_t m = 1u << 31; m != 0; m >>= 1) {
    if (a & m) product ^= b;
    b = (b >> 1) ^ (kPolynomial & (0u - (b & 1u)));
  }
  return product;
}

// x^(8n) modulo the polynomial: running the register over n zero bytes
// multiplies it by this.
uint32_t zeroBytesFactor(size_t n) {
  uint32_t result = 1u << 31, power = 1u << 23;  // x^0 and x^8
  for (; n != 0; n >>= 1) {
    if (n & 1) result = multiplyModP(result, power);
    power = multiplyModP(power, power);
  }
  return result;
}

// One CRC instruction waits for the previous one (three cycles) but a new
// one can start every cycle, so long inputs run three independent registers
// over three adjacent lanes and join them: the register after lanes A and B
// is reg(A) x^(8|B|) + reg0(B), reg0 started from zero.
__attribute__((target("sse4.2"))) uint32_t hardwareCrc(uint32_t crc, const unsigned char *p, size_t n) {
  constexpr size_t kLane = 8192;
  static const uint32_t kLaneFactor = zeroBytesFactor(kLane);
  auto word = [](const unsigned char *at) {
    uint64_t v;
    std::memcpy(&v, at, 8);
    return v;
  };
  uint64_t c = crc;
  for (; n >= 3 * kLane; p += 3 * kLane, n -= 3 * kLane) {
    uint64_t c1 = 0, c2 = 0;
    for (size_t i = 0; i < kLane; i += 8) {
      c = _mm_crc32_u64(c, word(p + i));
      c1 = _mm_crc32_u64(c1, word(p + kLane + i));
      c2 = _mm_crc32_u64(c2, word(p + 2 * kLane + i));
    }
    c = multiplyModP(kLaneFactor, static_cast<uint32_t>(c)) ^ c1;
    c = multiplyModP(kLaneFactor, static_cast<uint32_t>(c)) ^ c2;
  }
  for (; n >= 8; p += 8, n -= 8) c = _mm_crc32_u64(c, word(p));
  uint32_t c32 = static_cast<uint32_t>(c);
  while (n--) c32 = _mm_crc32_u8(c32, *p++);
  return c32;
}
#endif

}  // namespace

uint32_t crc32c(uint32_t crc, const void *data, size_t size) {
  const auto *p = static_cast<const unsigned char *>(data);
  crc = ~crc;
#if defined(__x86_64__)
  static const bool hardware = __builtin_cpu_supports("sse4.2");
  crc = hardware ? hardwareCrc(crc, p, size) : softwareCrc(crc, p, size);
#else
  crc = softwareCrc(crc, p, size);
#endif
  return ~crc;
}

}  // namespace qvb::body
