// File kinds and "file::selector" specifications.
#include <cstring>
#include <string>

#include "front_test.h"

namespace {

class FileSpecTest : public FrontTest {};

// QVB_BodyCount tells the three kinds apart: 1 for body files (no backend
// needed), the database backend's answer for databases, -1 for the rest.
TEST_F(FileSpecTest, FileKindFollowsTheExtensionOnly) {
  qvbfake::setResult(qvbfake::slot::QVB_BodyCount, 50);
  const std::pair<const char *, int> cases[] = {
      {"PART.QVB", 1},       {"part.Qvb::3", 1},        {"part.qvb 7", 1},
      {"/a.b/part.qvb", 1},  {".qvb", 1},               {"model.MASTER", 50},
      {"model.master::wing", 50},                       {"dir.x/model.master", 50},
      {"part", -1},          {"part.qvbx", -1},         {"part.qv", -1},
      {"part.qvb.bak", -1},  {"dir.old/part", -1},      {"part.", -1},
  };
  for (const auto &[name, count] : cases) EXPECT_EQ(QVB_BodyCount(name), count) << name;
  EXPECT_TRUE(messages().empty());
}

TEST_F(FileSpecTest, ParseSplitsFileAndSelector) {
  // selector: an index, or (name != nullptr) the text after "::".
  const struct {
    const char *specification, *file;
    int index;
    const char *name, *dbBody;
  } cases[] = {
      {"a.qvb", "a.qvb", 1, nullptr, "*"},
      {"a.qvb::12", "a.qvb", 12, nullptr, "12"},
      {"a.qvb::7x", "a.qvb", 7, nullptr, "7x"},
      {"d.master::wing", "d.master", 0, "wing", "wing"},
      {"d.master::", "d.master", 0, "", ""},
      {"x::y::3", "x", 0, "y::3", "y::3"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.specification);
    char file[1024] = "untouched", body[256];
    union {
      int index;
      char name[64];
    } selector;
    std::memset(&selector, 0x55, sizeof selector);
    QVB_ParseFileName(c.specification, file, &selector);
    EXPECT_STREQ(file, c.file);
    if (c.name == nullptr) {
      EXPECT_EQ(selector.index, c.index);
    } else {
      EXPECT_STREQ(selector.name, c.name);
    }
    QVB_ParseDBFileName(c.specification, file, body);
    EXPECT_STREQ(file, c.file);
    EXPECT_STREQ(body, c.dbBody);
  }
}

// 1,023 characters fit a 1,024-byte buffer; one more is refused with an
// error instead of overrunning the caller's buffer. Missing texts and
// buffers are reported, not followed.
TEST_F(FileSpecTest, BadSpecificationsAreRefused) {
  const std::string fits = std::string(1023 - 4, 'a') + ".qvb";
  const std::string tooLong = "a" + fits;
  char file[1024], body[256];
  int index = -5;
  QVB_ParseFileName(fits.c_str(), file, &index);
  EXPECT_EQ(file, fits);
  EXPECT_TRUE(errors().empty());

  index = -5;
  QVB_ParseFileName(tooLong.c_str(), file, &index);
  EXPECT_STREQ(file, "");
  EXPECT_EQ(index, -5);
  QVB_ParseDBFileName(tooLong.c_str(), file, body);
  EXPECT_EQ(QVB_CreateFromQVB(tooLong.c_str()), nullptr);
  QVB_ParseFileName(nullptr, file, &index);
  QVB_ParseDBFileName("a.master", nullptr, body);
  EXPECT_EQ(QVB_BodyCount(nullptr), -1);
  EXPECT_EQ(QVB_CreateFromQVB(nullptr), nullptr);
  EXPECT_EQ(errors().size(), 7u);
  EXPECT_EQ(slotCallCount(), 0u);
}

}  // namespace
