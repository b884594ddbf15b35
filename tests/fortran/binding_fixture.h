// Shared set-up of the binding tests: the recording fake backend, a message
// collector, and shorthands for reading the call record.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_session.h"
#include "qvb.h"

namespace fortran_test {

struct Message {
  int severity;  // 0 error, 1 warning, 2 information
  std::string text;
};

inline std::vector<Message> &collected() {
  static std::vector<Message> messages;
  return messages;
}

inline void collect(const char *message, int severity) {
  collected().push_back({severity, message});
}

inline const std::string kNoBody = "No QVBDATA object.  Call QVB_CREATE first";

class BindingTest : public testing::Test {
 protected:
  void SetUp() override {
    int status = -1;
    QVB_TERMINATE(&status);  // no current body left over from another test
    qvbfake::reset();
    collected().clear();
    QVB_SetMsgHandler(collect);
  }
  void TearDown() override {
    int status = -1;
    QVB_TERMINATE(&status);
    QVB_SetMsgHandler(nullptr);
  }

  // Creates the current body and forgets the calls that made it.
  QVB_Handle create() {
    int a = 10, b = 4, status = -1;
    const QVB_Handle expected = qvbfake::peekNextHandle();
    QVB_CREATE(&a, &b, &status);
    EXPECT_EQ(status, 0);
    qvbfake::reset();
    return expected;
  }

  static std::vector<Message> messages(int severity) {
    std::vector<Message> found;
    for (const Message &m : collected())
      if (m.severity == severity) found.push_back(m);
    return found;
  }

  // The arguments after the body handle of the only call to a slot.
  static std::vector<qvbfake::Value> argsOfOnlyCall(int slot) {
    const auto calls = qvbfake::callsTo(slot);
    EXPECT_EQ(calls.size(), 1u) << "calls to slot " << slot;
    if (calls.empty()) return {};
    return {calls[0].args.begin() + 1, calls[0].args.end()};
  }

  qvbfake::Session session_;
};

// A Fortran text: exactly the declared characters, no terminating NUL (the
// vector holds nothing past them, so a read beyond shows up under ASan).
struct FortranText {
  explicit FortranText(const std::string &text) : bytes(text.begin(), text.end()) {}
  FortranText(const std::string &text, std::size_t declared) : bytes(declared, ' ') {
    std::copy(text.begin(), text.end(), bytes.begin());
  }
  const char *data() const { return bytes.empty() ? nullptr : bytes.data(); }
  int length() const { return static_cast<int>(bytes.size()); }
  std::vector<char> bytes;
};

}  // namespace fortran_test
