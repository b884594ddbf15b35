#include "kernels/crc32c.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/worker_threads.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace qvb::kernels {
namespace {

constexpr uint32_t kPolynomial = 0x82F63B78u;  // reflected

// Slicing-by-8 tables for the polynomial.
struct Tables {
  uint32_t t[8][256];
  Tables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (kPolynomial & (0u - (c & 1u)));
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
      for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  }
};

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

// x^n modulo the polynomial.
uint32_t xPowerModP(uint64_t n) {
  uint32_t result = 1u << 31, power = 1u << 30;  // x^0 and x^1
  for (; n != 0; n >>= 1) {
    if (n & 1) result = multiplyModP(result, power);
    power = multiplyModP(power, power);
  }
  return result;
}

uint32_t softwareCrc(uint32_t crc, const unsigned char *p, size_t n) {
  static const Tables tables;
  const auto &t = tables.t;
  while (n >= 8) {
    uint32_t lo, hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + 4, 4);
    lo ^= crc;  // little-endian hosts only, as the file format itself
    crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][hi & 0xFF] ^
          t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    p += 8;
    n -= 8;
  }
  while (n--) crc = (crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF];
  return crc;
}

#if defined(__x86_64__)
// One CRC instruction waits for the previous one (three cycles) but a new
// one can start every cycle, so long inputs run three independent registers
// over three adjacent lanes and join them: the register after lanes A and B
// is reg(A) x^(8|B|) + reg0(B), reg0 started from zero.
__attribute__((target("sse4.2"))) uint32_t hardwareCrc(uint32_t crc, const unsigned char *p, size_t n) {
  constexpr size_t kLane = 8192;
  static const uint32_t kLaneFactor = xPowerModP(8 * kLane);  // running the register over a lane of zeros
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

// Long inputs where the processor multiplies without carries on 512 bits:
// the input is taken as eight 64-byte accumulators that are folded forward
// over each next 512 bytes, then onto one another, then into 16 bytes that
// the CRC instruction finishes. Folding a 64-bit half h forward by d bits is
// h x^d modulo the polynomial, split into two carry-less products with
// x^(d+63) and x^(d-1) mod P (the -1: the product of two bit-reflected
// operands comes out one place up). Reads at the speed of memory, where the
// CRC instruction does a little more than half of that.
__attribute__((target("sse4.2,pclmul"))) __m128i fold128(__m128i x, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

__attribute__((target("avx512f,vpclmulqdq"))) __m512i fold512(__m512i x, __m512i k) {
  return _mm512_xor_si512(_mm512_clmulepi64_epi128(x, k, 0x00), _mm512_clmulepi64_epi128(x, k, 0x11));
}

// The two factors of a fold by d bits, each in the top half of its 64 bits.
struct FoldFactors {
  uint64_t low, high;
  explicit FoldFactors(uint64_t d)
      : low(static_cast<uint64_t>(xPowerModP(d + 63)) << 32), high(static_cast<uint64_t>(xPowerModP(d - 1)) << 32) {}
};

constexpr size_t kFoldingMinimum = 1024;

// (Vectors are built with set and taken apart through memory: GCC 12's
// broadcast and extract intrinsics trip its own uninitialised-value warning.)
__attribute__((target("sse4.2,pclmul,avx512f,vpclmulqdq"))) uint32_t foldingCrc(uint32_t crc,
                                                                                 const unsigned char *p,
                                                                                 size_t n) {
  static const FoldFactors by4096(4096), by512(512), by128(128);
  const long long l4096 = static_cast<long long>(by4096.low), h4096 = static_cast<long long>(by4096.high);
  const long long l512 = static_cast<long long>(by512.low), h512 = static_cast<long long>(by512.high);
  const __m512i k4096 = _mm512_set_epi64(h4096, l4096, h4096, l4096, h4096, l4096, h4096, l4096);
  const __m512i k512 = _mm512_set_epi64(h512, l512, h512, l512, h512, l512, h512, l512);
  const __m128i k128 = _mm_set_epi64x(static_cast<long long>(by128.high), static_cast<long long>(by128.low));
  __m512i x[8];
  for (int i = 0; i < 8; ++i) x[i] = _mm512_loadu_si512(p + 64 * i);
  // The register enters as the first four bytes of the input.
  x[0] = _mm512_xor_si512(x[0], _mm512_set_epi64(0, 0, 0, 0, 0, 0, 0, static_cast<long long>(crc)));
  for (p += 512, n -= 512; n >= 512; p += 512, n -= 512)
    for (int i = 0; i < 8; ++i) x[i] = _mm512_xor_si512(fold512(x[i], k4096), _mm512_loadu_si512(p + 64 * i));
  for (int i = 1; i < 8; ++i) x[i] = _mm512_xor_si512(x[i], fold512(x[i - 1], k512));
  unsigned char lanes[64];
  _mm512_storeu_si512(lanes, x[7]);
  __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i *>(lanes));
  for (int i = 1; i < 4; ++i)
    last = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(lanes + 16 * i)), fold128(last, k128));
  uint64_t c = _mm_crc32_u64(0, static_cast<uint64_t>(_mm_cvtsi128_si64(last)));
  c = _mm_crc32_u64(c, static_cast<uint64_t>(_mm_extract_epi64(last, 1)));
  return hardwareCrc(static_cast<uint32_t>(c), p, n);
}
#endif

}  // namespace

uint32_t crc32c(uint32_t crc, const void *data, size_t size) {
  const auto *p = static_cast<const unsigned char *>(data);
  crc = ~crc;
#if defined(__x86_64__)
  static const bool hardware = __builtin_cpu_supports("sse4.2");
  static const bool folding = hardware && __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("avx512f") &&
                              __builtin_cpu_supports("vpclmulqdq");
  if (folding && size >= kFoldingMinimum) crc = foldingCrc(crc, p, size);
  else crc = hardware ? hardwareCrc(crc, p, size) : softwareCrc(crc, p, size);
#else
  crc = softwareCrc(crc, p, size);
#endif
  return ~crc;
}

uint32_t crc32cOnThreads(const void *data, size_t size, unsigned threads,
                         const std::function<void(const unsigned char *, size_t)> &beforeReading) {
  const auto *bytes = static_cast<const unsigned char *>(data);
  // Pieces large enough that joining them costs nothing, small enough that
  // threads that run at different speeds still finish together.
  constexpr size_t kPiece = size_t{32} << 20;
  const size_t pieces = (size + kPiece - 1) / kPiece;
  auto pieceLength = [&](size_t i) { return std::min(kPiece, size - i * kPiece); };
  if (threads <= 1 || pieces < 2) {
    if (beforeReading && size > 0) beforeReading(bytes, size);
    return crc32c(0, bytes, size);
  }
  std::vector<uint32_t> sums(pieces);
  std::atomic<size_t> next{0};
  platform::runOnThreads(static_cast<unsigned>(std::min<size_t>(threads, pieces)), [&](unsigned) {
    for (size_t i; (i = next.fetch_add(1)) < pieces;) {
      const size_t length = pieceLength(i);
      if (beforeReading) beforeReading(bytes + i * kPiece, length);
      sums[i] = crc32c(0, bytes + i * kPiece, length);
    }
  });
  // As for the lanes of hardwareCrc: crc(A B) = crc(A) x^(8|B|) + crc(B),
  // for checksums that start from 0 (the inversions at both ends cancel).
  uint32_t whole = sums[0];
  const uint32_t fullShift = xPowerModP(8 * uint64_t{kPiece});
  for (size_t i = 1; i < pieces; ++i) {
    const size_t length = pieceLength(i);
    whole = multiplyModP(length == kPiece ? fullShift : xPowerModP(8 * uint64_t{length}), whole) ^ sums[i];
  }
  return whole;
}

}  // namespace qvb::kernels
