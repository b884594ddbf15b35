// The fast formatter must print exactly what printf prints, for every bit
// pattern a double or a float can hold.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "convert/number_format.h"
#include "convert/ordered_text.h"
#include "convert/real_lines.h"
#include "convert/scientific_digits.h"
#include "convert/text_output.h"

namespace qvb::convert {
namespace {

#ifdef QVB_SANITIZED_BUILD
constexpr int kRandomPatterns = 200000;
#else
constexpr int kRandomPatterns = 2000000;
#endif

std::string printfText(double value, int width, int precision) {
  char text[128];
  std::snprintf(text, sizeof text, "%*.*E", width, precision, value);
  return text;
}

std::string fastText(double value, int width, int precision) {
  char text[kNumberTextMax];
  return std::string(text, formatScientific(text, value, width, precision));
}

const double kSpecial[] = {0.0, -0.0, 1.0, -1.0, 9.999999999999995, 9.99999999999999e99, 1e100, -1e-100,
                           1e-10, 0.5, 2.6, std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
                           -std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
                           -std::numeric_limits<double>::denorm_min(), 4.9406564584124654e-320,
                           static_cast<double>(std::numeric_limits<float>::denorm_min()),
                           static_cast<double>(std::numeric_limits<float>::max())};

TEST(NumberFormat, SpecialValuesInBothPrecisionsAndOtherWidths) {
  for (double v : kSpecial)
    for (auto [width, precision] : {std::pair{22, 14}, {16, 8}, {0, 3}, {30, 17}, {8, 0}})
      EXPECT_EQ(fastText(v, width, precision), printfText(v, width, precision)) << v;
}

TEST(NumberFormat, RandomDoubleAndFloatBitPatternsMatchPrintf) {
  std::mt19937_64 random(20261205);
  int mismatches = 0;
  for (int i = 0; i < kRandomPatterns && mismatches < 5; ++i) {
    const uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    float f;
    const uint32_t low = static_cast<uint32_t>(bits);
    std::memcpy(&f, &low, sizeof f);
    // Doubles in double precision; floats (as the single-precision file
    // carries them) in single precision.
    for (auto [value, width, precision] : {std::tuple{d, 22, 14}, {static_cast<double>(f), 16, 8}}) {
      const std::string want = printfText(value, width, precision), got = fastText(value, width, precision);
      if (want != got) {
        ++mismatches;
        ADD_FAILURE() << "bits " << std::hex << bits << ": printf \"" << want << "\" fast \"" << got << "\"";
      }
    }
  }
}

// Where the fast product is weakest: exact ties (printf rounds them to
// even), their neighbours, both sides of every power of ten (the digit
// count changes there) and every binary exponent including subnormals.
TEST(NumberFormat, TiesDecadesAndEveryBinaryExponentMatchPrintf) {
  std::vector<double> values;
  auto withNeighbours = [&](double v) {
    values.insert(values.end(), {v, std::nextafter(v, 0.0), std::nextafter(v, HUGE_VAL)});
  };
  for (int e = -1074; e <= 1023; ++e)
    for (double odd : {1.0, 3.0, 5.0, 7.0, 1001.0, 123456789.0})
      withNeighbours(std::ldexp(odd, e));
  for (int k = -323; k <= 308; ++k) withNeighbours(std::strtod(("1e" + std::to_string(k)).c_str(), nullptr));
  // Sixteen (and ten) significant digits ending in 5: exact ties at 15 (9).
  for (long long base : {1000000000000005LL, 1000000000000015LL, 2384185791015625LL, 8999999999999995LL,
                         1234567895LL, 1234567885LL, 9999999995LL})
    for (int e = -20; e <= 20; ++e) withNeighbours(std::ldexp(static_cast<double>(base), e));
  int mismatches = 0;
  for (double v : values)
    for (auto [width, precision] : {std::pair{22, 14}, {16, 8}, {0, 1}, {0, 16}})
      if (fastText(v, width, precision) != printfText(v, width, precision) && ++mismatches <= 5)
        ADD_FAILURE() << std::hexfloat << v << " %." << precision << "E: printf \"" << printfText(v, width, precision)
                      << "\" fast \"" << fastText(v, width, precision) << "\"";
  EXPECT_EQ(mismatches, 0);
}

// The fast digits are used for ordinary values (else the formatter would be
// right but slow) and refused for an exact tie.
TEST(NumberFormat, FastDigitsDecideOrdinaryValuesAndLeaveTiesToTheExactPath) {
  ScientificDigits d{};
  ASSERT_TRUE(fastScientificDigits(-1.5, 14, &d));
  EXPECT_EQ(d.digits, 150000000000000u);
  EXPECT_EQ(d.exponent, 0);
  ASSERT_TRUE(fastScientificDigits(9.9999999999999999e-300, 14, &d));
  EXPECT_EQ(d.digits, 100000000000000u);
  EXPECT_EQ(d.exponent, -299);
  ASSERT_TRUE(fastScientificDigits(std::numeric_limits<double>::denorm_min(), 8, &d));
  EXPECT_EQ(d.digits, 494065646u);
  EXPECT_EQ(d.exponent, -324);
  EXPECT_FALSE(fastScientificDigits(std::ldexp(1.0, -22), 14, &d));  // 2.384185791015625E-07
  EXPECT_FALSE(fastScientificDigits(0.0, 14, &d));
}

TEST(NumberFormat, IntegersMatchPrintf) {
  for (long long v : {0LL, 1LL, -1LL, 9999LL, 10000LL, -999LL, 12345678LL, 123456789LL, -12345678LL,
                      static_cast<long long>(INT_MAX), static_cast<long long>(INT_MIN)})
    for (int width : {4, 8, 0}) {
      char want[64], got[kNumberTextMax];
      std::snprintf(want, sizeof want, "%*lld", width, v);
      EXPECT_EQ(std::string(got, formatInteger(got, v, width)), want);
    }
}

// Runs of reals against the same lines made with printf, through a real
// stream; big enough to cross several chunks, ending with a last,
// incomplete line.
TEST(NumberFormat, ChunkedLinesKeepByteOrder) {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> spread(-300.0, 300.0);
  std::vector<double> values(200003);
  for (double &v : values) v = std::pow(10.0, spread(random) / 10.0) * (random() % 2 ? 1 : -1);
  values[7] = -0.0;
  values[100] = std::numeric_limits<double>::quiet_NaN();

  char piece[64];
  std::string linesWant;
  for (size_t i = 0; i < values.size(); ++i) {
    std::snprintf(piece, sizeof piece, "%16.8E", values[i]);
    linesWant += piece;
    if (i % 3 == 2) linesWant += '\n';
  }
  // One thread, then several: the chunks are formatted out of order and
  // written in order. Last, blocks whose sizes cut lines in the middle,
  // through the stream output on one thread and on two (whose producer
  // also formats when the queue is full).
  const struct {
    unsigned threads;
    bool blocks;
  } runs[] = {{1, false}, {2, false}, {3, false}, {1, true}, {2, true}};
  for (const auto &[threads, blocks] : runs) {
    std::FILE *linesStream = std::tmpfile();
    ASSERT_NE(linesStream, nullptr);
    if (!blocks) {
      EXPECT_TRUE(writeRealLinesOnThreads(linesStream, values.data(), values.size(), 3, 16, 8, threads));
    } else {
      size_t at = 0, size = 1;
      StreamOutput(linesStream, 1).realLineBlocks({3, 16, 8}, threads, [&](std::vector<double> &block) {
        if (at >= values.size()) return false;
        block.assign(values.begin() + at, values.begin() + std::min(values.size(), at + size));
        at += size;
        size = size * 7 % 50000 + 1;
        return true;
      });
    }
    std::string lines(static_cast<size_t>(std::ftell(linesStream)), '\0');
    std::rewind(linesStream);
    ASSERT_EQ(std::fread(lines.data(), 1, lines.size(), linesStream), lines.size());
    std::fclose(linesStream);
    EXPECT_TRUE(lines == linesWant) << threads << " threads" << (blocks ? ", blocks" : "");
  }
}

}  // namespace
}  // namespace qvb::convert
