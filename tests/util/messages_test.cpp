// The message channel: line splitting and prefixes, the handler, quiet mode.
#include "qvb/qvb_messages.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::pair<std::string, int>> g_received;
void recordingHandler(const char *message, int severity) { g_received.emplace_back(message, severity); }

class MessageChannel : public testing::Test {
 protected:
  void SetUp() override { g_received.clear(); }
  void TearDown() override { QVB_SetMsgHandler(nullptr); }
  qvbtest::ScopedEnv loud_{"HLK_QVB_QUIET_MODE", std::nullopt};
};

TEST_F(MessageChannel, PrintsOneLinePerPieceWithTheReportersPrefix) {
  using Reporter = void (*)(const char *, ...);
  const struct {
    Reporter reporter;
    const char *text, *expected;  // on stderr for errors and warnings, stdout for information
  } cases[] = {
      {QVB_Error, "a\nb", "ERROR:  a\nERROR:  b\n"}, {QVB_Error, "a\n", "ERROR:  a\nERROR:  \n"},
      {QVB_Error, "", "ERROR:  \n"},                 {QVB_Warning, "x\n\ny", "WARNING:  x\nWARNING:  \nWARNING:  y\n"},
      {QVB_Info, "a\n", "a\n"},                      {QVB_Info, "a\n\nb", "a\n\nb\n"},
      {QVB_Info, "", ""},                            {QVB_Info, "\n", "\n"},
  };
  for (const auto &c : cases) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    c.reporter("%s", c.text);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    const bool toStdout = c.reporter == QVB_Info;
    EXPECT_EQ(toStdout ? out : err, c.expected) << "text: " << c.text;
    EXPECT_EQ(toStdout ? err : out, "") << "text: " << c.text;
  }
}

// The handler gets each whole formatted text once (cut to the buffer; a null
// format is empty), nothing is printed, and quiet mode, read at every call,
// silences information only.
TEST_F(MessageChannel, HandlerReceivesWholeFormattedTextsAndQuietModeSilencesInformation) {
  QVB_SetMsgHandler(recordingHandler);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  QVB_Error("a\n%s", "b");
  QVB_Warning("w%d", 7);
  QVB_Info("i\n");
  QVB_Error("%s", std::string(5000, 'z').c_str());
  QVB_MsgFunction warning = QVB_Warning;  // a backend may well pass null
  warning(nullptr);
  {
    qvbtest::ScopedEnv quiet("HLK_QVB_QUIET_MODE", "");  // defined, even empty, is enough
    QVB_Info("hidden");
    QVB_Warning("shown");
    QVB_Error("shown");
  }
  QVB_Info("after");
  EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(g_received, (decltype(g_received){{"a\nb", 0}, {"w7", 1}, {"i\n", 2}, {std::string(999, 'z'), 0},
                                              {"", 1}, {"shown", 1}, {"shown", 0}, {"after", 2}}));

  QVB_SetMsgHandler(nullptr);  // back to printing
  testing::internal::CaptureStderr();
  QVB_Error("back");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR:  back\n");
}

}  // namespace
