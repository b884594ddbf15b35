// The body-independent layers: MTX record layout, command-line tokens and list
// grammar.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "convert/arg_tokens.h"
#include "convert/list_grammar.h"
#include "convert/mtx_format.h"

namespace qvb::convert {
namespace {

// Runs `write` on an MtxWriter over a memory stream and returns the text.
template <typename Write>
std::string written(bool doublePrecision, Write write) {
  char *text = nullptr;
  size_t size = 0;
  std::FILE *out = open_memstream(&text, &size);
  {
    StreamOutput stream(out, 1);
    MtxWriter writer(stream, doublePrecision);
    write(writer);
  }
  std::fclose(out);
  std::string result(text, size);
  std::free(text);
  return result;
}

TEST(MtxLayout, HeaderLinesInBothPrecisions) {
  struct Case {
    bool dbl;
    int name, seq;
    const char *storage, *order;
    int r, i, e, s;
    const char *expected;
  } cases[] = {
      {true, kSelNod, -1, "FULL", "RORDER", 10, 1, 3, 1,
       "SELNOD    FULL    RORDER     10    5   50   ( 1I8, 3E22.14, 1I4 )\n"},
      {false, kSelNod, -1, "FULL", "RORDER", 10, 1, 3, 1,
       "SELNOD    FULL    RORDER     10    5   50   ( 1I8, 3E16.8, 1I4 )\n"},
      {true, kGenStiff, -1, "SPARSE", "", 12, 12, 30, 0, "GENSTIFF  SPARSE     12   12   30   ( 2I8, E22.14 )\n"},
      {false, kGenStiff, -1, "SPARSE", "ignored", 12, 12, 30, 0,
       "GENSTIFF  SPARSE     12   12   30   ( 2I8, E16.8 )\n"},
      {true, kTMode, -1, "FULL", "CORDER", 120, 0, 3, 0, "T_MODE    FULL    CORDER      3  120  360   ( 3E22.14 )\n"},
      {false, kPreload, -1, "FULL", "CORDER", 4, 0, 1, 0, "PRELOAD   FULL    CORDER      1    4    4   ( 1E16.8 )\n"},
      {true, kEdge, 7, "FULL", "RORDER", 4, 1, 0, 0, "EDGE_7    FULL    RORDER      4    1    4   ( 1I8 )\n"},
      {true, kEdge, 1234, "FULL", "RORDER", 2, 1, 0, 0, "EDGE_1234 FULL    RORDER      2    1    2   ( 1I8 )\n"},
      {true, kInvar1, -1, "FULL", "RORDER", 1, 0, 1, 0, "INVAR1    FULL    RORDER      1    1    1   ( 1E22.14 )\n"},
      {true, kRdAxis, -1, "FULL", "RORDER", 2, 0, 3, 0, "RDAXIS    FULL    RORDER      2    3    6   ( 3E22.14 )\n"},
      {true, kSelMod, -1, "FULL", "RORDER", 3, 1, 1, 0, "SELMOD    FULL    RORDER      3    2    6   ( 1I8, 1E22.14 )\n"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(written(c.dbl, [&](MtxWriter &m) { EXPECT_TRUE(m.matrixHeader(c.name, c.seq, c.storage, c.order, c.r, c.i, c.e, c.s)); }),
              c.expected);
  }
}

TEST(MtxLayout, HeaderWriterRefusesWhatItCannotDescribe) {
  struct Case {
    int name, seq;
    const char *storage, *order;
    int r, i, e;
    const char *message, *file;  // the file keeps what was out before the refusal
  } cases[] = {
      {kInvar1, -1, "DENSE", "RORDER", 1, 0, 1, "Unknown matrix type DENSE", ""},
      {kInvar1, -1, "FULL", "RORDER ", 1, 0, 1, "Unknown matrix order RORDER ", "INVAR1    FULL    "},
      {kEdge, 3, "FULL", "CORDER", 2, 1, 0, "QVB2MTX cannot mix integers and reals in CORDER CORDER",
       "EDGE_3    FULL    CORDER  "},
  };
  for (const Case &c : cases) {
    testing::internal::CaptureStdout();
    const std::string file = written(true, [&](MtxWriter &m) {
      EXPECT_FALSE(m.matrixHeader(c.name, c.seq, c.storage, c.order, c.r, c.i, c.e, 0));
    });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("\n**ERROR\a** ") + c.message + "\n\n");
    EXPECT_EQ(file, c.file);
  }
}

TEST(MtxLayout, SparseDropsTinyEntriesAndNeverWritesAnEmptyMatrix) {
  // 1e-10 itself is dropped; only larger magnitudes count.
  const std::string sparse = written(true, [](MtxWriter &m) {
    m.sparse(kGenStiff, 2, 2, {1e-10, -2.5, 0.0, 1.0000001e-10});
  });
  EXPECT_EQ(sparse,
            "GENSTIFF  SPARSE      2    2    2   ( 2I8, E22.14 )\n"
            "       1       2 -2.50000000000000E+00\n"
            "       2       2  1.00000010000000E-10\n");
  EXPECT_EQ(written(false, [](MtxWriter &m) { m.sparse(kGenStiff, 3, 3, std::vector<double>(9, -1e-11)); }),
            "GENSTIFF  SPARSE      3    3    1   ( 2I8, E16.8 )\n"
            "       1       1  0.00000000E+00\n");
}

TEST(MtxLayout, ZeroingKeepsTheThresholdValueItself) {
  EXPECT_EQ(written(true, [](MtxWriter &m) {
              m.realLines({1e-10, -9.99e-11, 3.0}, 3, true);
              m.realLines({-9.99e-11}, 1, false);
            }),
            "  1.00000000000000E-10  0.00000000000000E+00  3.00000000000000E+00\n"
            " -9.99000000000000E-11\n");
}

TEST(CommandTokens, CommasSplitAndEmptyPiecesVanish) {
  std::vector<std::string> tokens;
  ASSERT_TRUE(appendCommaTokens(",+N,1:3,,7,", tokens));
  ASSERT_TRUE(appendCommaTokens("-L", tokens));
  EXPECT_EQ(tokens, (std::vector<std::string>{"+N", "1:3", "7", "-L"}));
  EXPECT_FALSE(appendCommaTokens(std::string(1000, 'x').c_str(), tokens));
  EXPECT_TRUE(appendCommaTokens(std::string(999, 'x').c_str(), tokens));
}

TEST(ListGrammar, FormsRangesAndStops) {
  struct Case {
    std::vector<std::string> tokens;
    RangeColon colon;
    bool ok;
    std::vector<int> values;  // sorted and unique
    size_t stop;              // first token not read
  } cases[] = {
      {{"1:3", "7"}, RangeColon::kFirst, true, {1, 2, 3, 7}, 2},
      {{"1", ":", "3", "7"}, RangeColon::kFirst, true, {1, 2, 3, 7}, 4},
      {{"5", ":", "3"}, RangeColon::kFirst, true, {5}, 3},
      {{"5:3"}, RangeColon::kFirst, true, {}, 1},
      {{"4", "+M", "2"}, RangeColon::kFirst, true, {4}, 1},
      {{"-5"}, RangeColon::kFirst, true, {}, 0},
      {{"2", ":4"}, RangeColon::kFirst, true, {2, 3, 4}, 2},
      {{"2:", "4"}, RangeColon::kFirst, true, {2, 3, 4}, 2},
      {{"1:2:4"}, RangeColon::kFirst, true, {1, 2}, 1},  // "2:4" reads as 2 after the first colon
      {{"1:2:4"}, RangeColon::kLast, true, {1, 2, 3, 4}, 1},  // "1:2" reads as 1 before the last one
      {{":"}, RangeColon::kFirst, false, {}, 0},
      {{"3", ":"}, RangeColon::kFirst, false, {}, 0},
      {{"3", ":", "-L"}, RangeColon::kFirst, false, {}, 0},
      {{":4"}, RangeColon::kFirst, false, {}, 0},
      {{"3:"}, RangeColon::kFirst, false, {}, 0},
      {{"1:100000000"}, RangeColon::kFirst, false, {}, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.tokens));
    std::vector<int> values;
    size_t pos = 0;
    ASSERT_EQ(readIntegerList(c.tokens, pos, c.colon, values), c.ok);
    if (!c.ok) continue;
    sortUnique(values);
    EXPECT_EQ(values, c.values);
    EXPECT_EQ(pos, c.stop);
  }
}

TEST(ListGrammar, ValuesAccumulateAcrossSwitchesOfOneKind) {
  std::vector<int> values{9};
  std::vector<std::string> tokens{":", "11"};
  size_t pos = 0;
  ASSERT_TRUE(readIntegerList(tokens, pos, RangeColon::kFirst, values));
  EXPECT_EQ(values, (std::vector<int>{9, 9, 10, 11}));
}

}  // namespace
}  // namespace qvb::convert
