// One grammar for "file::selector", whoever reads it: the table in
// tests/support/body_selectors.txt is run against the exported parser, the
// opening export (which hands the stores the whole "file::selector" text) and
// the commands' opening helper; python/tests/test_selectors.py runs the same
// table against the package.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "qvb.h"
#include "test_support.h"
#include "tool_support.h"

namespace {

struct SelectorCase {
  std::string specification, parsed, body;
};

std::string replaceBlanks(std::string text) {
  const std::string marker = "<blank>";
  for (std::size_t at; (at = text.find(marker)) != std::string::npos;) text.replace(at, marker.size(), " ");
  return text;
}

std::vector<SelectorCase> selectorCases() {
  std::vector<SelectorCase> cases;
  std::ifstream table(QVB_SELECTOR_TABLE);
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t first = line.find(" | "), second = line.find(" | ", first + 3);
    cases.push_back({replaceBlanks(line.substr(0, first)), line.substr(first + 3, second - first - 3),
                     line.substr(second + 3)});
  }
  return cases;
}

std::vector<std::string> g_errors;

class BodySelectors : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    QVB_SetMsgHandler([](const char *text, int severity) {
      if (severity == 0) g_errors.emplace_back(text);
    });
    writeBody("first", "beam.qvb::1");
    writeBody("second", "beam.qvb::2");
    writeBody("wing", "fleet.master::wing");
    writeBody("tail", "fleet.master::tail");
    writeBody("7", "fleet.master::*");  // "::7" would name body 7: the title names it
    writeBody("ccx2qvb: bracket.inp", "fleet.master");
    writeBody("left, v1.2::b", "fleet.master");
  }
  static void TearDownTestSuite() {
    QVB_Terminate();
    QVB_SetMsgHandler(nullptr);
    delete dir_;
    dir_ = nullptr;
  }

  static void writeBody(const std::string &title, const std::string &target) {
    QVB_Handle body = QVB_Create(1, 0);
    ASSERT_NE(body, nullptr);
    QVB_SetHeader(body, title.c_str(), "", "TEST", "", "", "");
    QVB_SetNodeCoordinates(body, 1, 0.0, 0.0, 0.0);
    ASSERT_EQ(QVB_write_QVB(body, (dir_->path().string() + "/" + target).c_str()), 1) << target;
    QVB_Destroy(body);
  }

  // The title of the body, or "none" for no body.
  static std::string titleOf(QVB_Handle body) {
    if (body == nullptr) return "none";
    char title[128] = "", text2[64], text3[128], type[16], c1[80], c2[80], c3[80];
    QVB_Header(body, title, text2, text3, type, c1, c2, c3);
    QVB_Destroy(body);
    std::string text = title;
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
  }

  static qvbtest::TempDir *dir_;
};

qvbtest::TempDir *BodySelectors::dir_ = new qvbtest::TempDir;

TEST_F(BodySelectors, EveryEntryPointReadsTheTableAlike) {
  const std::vector<SelectorCase> cases = selectorCases();
  ASSERT_GT(cases.size(), 20u);
  const std::string folder = dir_->path().string() + "/";
  for (const SelectorCase &c : cases) {
    SCOPED_TRACE("\"" + c.specification + "\"");
    const std::string specification = folder + c.specification;

    g_errors.clear();
    char file[1024] = "", name[256] = "";
    int index = -1;
    const int parsed = qvb_ParseBodySelector(specification.c_str(), file, sizeof file, &index, name, sizeof name);
    if (c.parsed == "refused") {
      EXPECT_EQ(parsed, 0);
      ASSERT_EQ(g_errors.size(), 1u);
      EXPECT_NE(g_errors[0].find(specification.substr(0, specification.find_last_not_of(' ') + 1)),
                std::string::npos)
          << g_errors[0];
    } else {
      EXPECT_EQ(parsed, 1);
      // "file index name": the name is the rest of the field, blanks and all.
      std::istringstream expected(c.parsed);
      std::string expectedFile, expectedName;
      int expectedIndex = -1;
      expected >> expectedFile >> expectedIndex;
      expected.get();
      std::getline(expected, expectedName);
      EXPECT_EQ(file, folder + expectedFile);
      EXPECT_EQ(index, expectedIndex);
      EXPECT_EQ(name, expectedName == "-" ? "" : expectedName);
    }

    g_errors.clear();
    EXPECT_EQ(titleOf(qvb_OpenBody(specification.c_str(), 0)), c.body) << "store";
    if (c.body == "none") {
      EXPECT_FALSE(g_errors.empty()) << "the store must say why";
    }
    EXPECT_EQ(titleOf(qvb_OpenBody(specification.c_str(), 1)), c.body) << "store, surface";
    EXPECT_EQ(titleOf(qvb_tool_open_body(specification.c_str())), c.body) << "command helper";
  }
}

// A database body chosen twice, by the selector and by the caller's index:
// taken when the two agree, refused with the reason when not. (For a
// body file the front never passes the index on: body 1 or the selector's.)
TEST_F(BodySelectors, ASelectorAndAnIndexMustAgree) {
  const std::string fleet = dir_->path().string() + "/fleet.master";
  EXPECT_EQ(titleOf(QVB_CreateFromFileByIndex(fleet.c_str(), 2)), "tail");
  EXPECT_EQ(titleOf(QVB_CreateFromFileByIndex((fleet + "::2").c_str(), 2)), "tail");
  g_errors.clear();
  EXPECT_EQ(titleOf(QVB_CreateFromFileByIndex((fleet + "::2").c_str(), 1)), "none");
  ASSERT_EQ(g_errors.size(), 1u);
  EXPECT_NE(g_errors[0].find("the selector names body 2 but body 1 was asked for"), std::string::npos) << g_errors[0];
  // A name and a number together: refused the same way, not the number dropped.
  g_errors.clear();
  EXPECT_EQ(titleOf(QVB_CreateFromFileByIndex((fleet + "::tail").c_str(), 1)), "none");
  ASSERT_EQ(g_errors.size(), 1u);
  EXPECT_NE(g_errors[0].find("names body \"tail\" but body 1 was asked for"), std::string::npos) << g_errors[0];
  EXPECT_EQ(titleOf(QVB_CreateFromQVB((fleet + "::tail").c_str())), "tail");
  // Written as read: an empty selector names no body.
  QVB_Handle body = QVB_Create(1, 0);
  QVB_SetNodeCoordinates(body, 1, 0.0, 0.0, 0.0);
  g_errors.clear();
  EXPECT_EQ(QVB_write_QVB(body, (fleet + "::").c_str()), 0);
  EXPECT_FALSE(g_errors.empty());
  QVB_Destroy(body);
}

}  // namespace
