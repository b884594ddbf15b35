// The fixture of the front's tests: a clean front bound to the recording fake
// backends, and the messages the library reported while the test ran.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fake_backend.h"
#include "fake_session.h"
#include "qvb.h"

struct Message {
  int severity;  // 0 error, 1 warning, 2 information
  std::string text;
};

class FrontTest : public testing::Test {
 protected:
  explicit FrontTest(const std::string &pluginFolder = QVB_FAKE_BACKEND_DIR)
      : session_(pluginFolder) {
    messages().clear();
    QVB_SetMsgHandler(&FrontTest::collect);
  }
  ~FrontTest() override { QVB_SetMsgHandler(nullptr); }

  static std::vector<Message> &messages() {
    static std::vector<Message> reported;
    return reported;
  }

  static std::vector<std::string> errors() {
    std::vector<std::string> texts;
    for (const Message &message : messages())
      if (message.severity == 0) texts.push_back(message.text);
    return texts;
  }

  // The one call made to a slot during the test; fails the test otherwise.
  static qvbfake::Call onlyCall(int slot) {
    const auto calls = qvbfake::callsTo(slot);
    EXPECT_EQ(calls.size(), 1u) << "calls to slot " << slot;
    return calls.empty() ? qvbfake::Call() : calls.back();
  }

  // Calls to body-level or creation slots (entry points and the loader's
  // own init/terminate calls left out).
  static std::size_t slotCallCount() {
    std::size_t count = 0;
    for (const auto &call : qvbfake::calls()) count += call.slot >= 0 ? 1 : 0;
    return count;
  }

 private:
  static void collect(const char *text, int severity) {
    messages().push_back({severity, text == nullptr ? "" : text});
  }

  qvbfake::Session session_;
};
