// Unit labels: every alias of the table, case folding, whole-string matches,
// and that only the canonical name and its NUL are written.
#include "qvb/qvb_units.h"
#include "util/unit_label_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>

namespace {

using qvb::units::kUnitLabels;

std::string convert(std::string label, int *result = nullptr) {
  char buffer[32] = {};
  std::memcpy(buffer, label.c_str(), label.size() + 1);
  const int converted = QVB_ConvertUnitsLabel(buffer);
  if (result != nullptr) *result = converted;
  return buffer;
}

std::string upper(std::string text) {
  for (char &c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Alternating case, so a comparison that folds only one side would fail.
std::string mixed(std::string text) {
  for (std::size_t i = 0; i < text.size(); i += 2) text[i] = static_cast<char>(std::toupper(text[i]));
  return text;
}

TEST(UnitLabels, EveryAliasAndCanonicalNameInAnyCaseBecomesTheCanonicalName) {
  std::set<std::string> canonical;
  for (const auto &row : kUnitLabels) {
    canonical.insert(row.canonical);
    EXPECT_EQ(convert(row.canonical), row.canonical) << "converting twice changes nothing";
    for (const std::string &spelling : {std::string(row.alias), upper(row.alias), mixed(row.alias)}) {
      int result = 0;
      EXPECT_EQ(convert(spelling, &result), row.canonical) << spelling;
      EXPECT_EQ(result, 1) << spelling;
    }
  }
  EXPECT_EQ(canonical.size(), 42u);
}

TEST(UnitLabels, AliasesThatLookAlikeMapToTheUnitsTheTableSays) {
  const std::pair<const char *, const char *> cases[] = {
      {"mgg", "MEGAGRAM"},     {"mg", "MILLIGRAM"},       {"MN", "MILLINEWTON"}, {"Dozen_Slug", "SLINCH"},
      {"KIP", "KPOUND_FORCE"}, {"klbm", "KPOUND_MASS"},   {"milli_inch", "MIL"}, {"micron", "MICROMETER"},
      {"d", "DAY"},            {"H", "HOUR"},             {"min", "MINUTE"},     {"us", "MICROSECOND"},
      {"Kg", "KILOGRAM"},      {"kg_force", "KILOGRAM_FORCE"}, {"tonne", "MEGAGRAM"}, {"uin", "MICROINCH"},
  };
  for (const auto &[label, expected] : cases) EXPECT_EQ(convert(label), expected) << label;
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
