// What the hardening tests share: a clean library bound to the real
// plug-ins, the messages it reported, a scratch folder and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "qvb.h"
#include "test_support.h"

namespace hardening {

struct Message {
  int severity;  // 0 error, 1 warning, 2 information
  std::string text;
};

std::vector<Message> &messages();
// True when one error message holds every one of the pieces.
bool anErrorMentions(const std::vector<std::string> &pieces);
std::string describeMessages();

using qvbtest::printedByChild;
// Names of the entries of a folder, sorted.
std::vector<std::string> folderEntries(const std::string &folder);

class HardeningTest : public testing::Test {
 protected:
  HardeningTest();
  ~HardeningTest() override;

  qvbtest::TempDir temp_;
  qvbtest::ScopedEnv plugins_{"TRX_USER_PLUGIN_DIR", std::string(QVB_HARDENING_PLUGIN_DIR)};
  qvbtest::ScopedEnv quiet_{"HLK_QVB_QUIET_MODE", std::nullopt};
};

}  // namespace hardening
