// One test's use of the fake backends: points the plug-in search at a folder
// of fake plug-ins, starts from an unbound front and an empty call record,
// and unbinds again at the end so that the next test starts clean.
#pragma once

#include <string>

#include "fake_backend.h"
#include "qvb.h"
#include "test_support.h"

namespace qvbfake {

class Session {
 public:
  explicit Session(const std::string &pluginFolder = QVB_FAKE_BACKEND_DIR)
      : pluginDir_("TRX_USER_PLUGIN_DIR", pluginFolder) {
    QVB_Terminate();
    reset();
  }
  ~Session() { QVB_Terminate(); }
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

 private:
  qvbtest::ScopedEnv pluginDir_;
};

}  // namespace qvbfake
