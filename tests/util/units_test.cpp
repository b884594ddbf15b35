// Unit labels: every name of the documented table in any case, look-alikes,
// whole-string matches, and that only the canonical name and its NUL are
// written. The expected names are written out here, not read from the
// library's own table, so a wrong or missing row in that table fails.
#include "qvb/qvb_units.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Each row: the canonical name, then its other spellings. The canonical name
// in lower case is a spelling of every row too.
const char *const kDocumentedNames[] = {
    "MEGAGRAM mgg tonne", "KILOGRAM kg", "GRAM", "MICROGRAM ug", "MILLIGRAM mg", "NANOGRAM ng",
    "USTON us_ton", "KPOUND_MASS klbm", "POUND_MASS lbm", "OUNCE_MASS ozm", "SLUG", "SLINCH dozen_slug",
    "KNEWTON kn", "NEWTON n", "MILLINEWTON mn", "DYNE", "MICRONEWTON un", "NANONEWTON nn",
    "KPOUND_FORCE klbf kip", "POUND_FORCE lbf", "KILOGRAM_FORCE kgf kg_force", "OUNCE_FORCE ozf",
    "KILOMETER km", "METER m", "CENTIMETER cm", "MILLIMETER mm", "MICROMETER micron um", "NANOMETER nm",
    "ANGSTROM ang", "MILE mi", "YARD yd", "FOOT ft", "INCH in", "MIL milli_inch",
    "MICROINCH uin uinch micro_inch", "SECOND sec s", "MILLISECOND millisec ms", "MICROSECOND microsec us",
    "NANOSECOND nanosec ns", "DAY d", "HOUR hr h", "MINUTE min",
};

std::string convert(std::string label, int *result = nullptr) {
  char buffer[32] = {};
  std::memcpy(buffer, label.c_str(), label.size() + 1);
  const int converted = QVB_ConvertUnitsLabel(buffer);
  if (result != nullptr) *result = converted;
  return buffer;
}

std::string lower(std::string text) {
  for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Alternating case, so a comparison that folds only one side would fail.
std::string mixed(std::string text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char>(i % 2 ? std::tolower(text[i]) : std::toupper(text[i]));
  return text;
}

TEST(UnitLabels, EveryDocumentedNameInAnyCaseBecomesItsCanonicalName) {
  EXPECT_EQ(std::size(kDocumentedNames), 42u);
  for (const char *row : kDocumentedNames) {
    std::istringstream words(row);
    std::string canonical;
    words >> canonical;
    EXPECT_EQ(convert(canonical), canonical) << "converting twice changes nothing";
    std::vector<std::string> spellings{lower(canonical)};
    for (std::string spelling; words >> spelling;) spellings.push_back(spelling);
    for (const std::string &alias : spellings) {
      for (const std::string &written : {alias, mixed(alias)}) {
        int result = 0;
        EXPECT_EQ(convert(written, &result), canonical) << written;
        EXPECT_EQ(result, 1) << written;
      }
    }
  }
  // Look-alikes that a prefix rule or a case-sensitive table would get wrong.
  EXPECT_EQ(convert("MN"), "MILLINEWTON");
  EXPECT_EQ(convert("Dozen_Slug"), "SLINCH");
  EXPECT_EQ(convert("KIP"), "KPOUND_FORCE");
}

TEST(UnitLabels, UnknownLabelsReturnZeroAndLeaveTheBufferAlone) {
  for (const char *label : {"g", "kilograms", " kg", "kg ", "", "k", "kgg", "meganewton", "kg\t"}) {
    int result = 1;
    EXPECT_EQ(convert(label, &result), label);
    EXPECT_EQ(result, 0) << "'" << label << "'";
  }
  EXPECT_EQ(QVB_ConvertUnitsLabel(nullptr), 0);
}

TEST(UnitLabels, WritesOnlyTheCanonicalNameAndItsTerminator) {
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  std::memcpy(buffer, "kg", 3);
  ASSERT_EQ(QVB_ConvertUnitsLabel(buffer), 1);
  EXPECT_STREQ(buffer, "KILOGRAM");
  for (std::size_t i = 9; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#') << "byte " << i;

  char longest[15] = "kgf";
  ASSERT_EQ(QVB_ConvertUnitsLabel(longest), 1);
  EXPECT_STREQ(longest, "KILOGRAM_FORCE");
}

}  // namespace
