// Replaces parts of the OS layer for one scope: a fixed wall clock, a made-up
// system identity, a file-status probe that answers from a set (and records
// every path asked), and library opens that fail. Function pointers cannot
// capture, so the fake state is static: one FakeOs at a time. Tests that use
// it link the OS layer's objects (qvb_platform), not libqvb.so.
#pragma once

#include "platform/os.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qvbtest {

class FakeOs {
 public:
  FakeOs() : table_(qvb::platform::hostOs()) {
    state() = State{};
    qvb::platform::installOs(&table_);
  }
  ~FakeOs() { qvb::platform::installOs(nullptr); }
  FakeOs(const FakeOs &) = delete;
  FakeOs &operator=(const FakeOs &) = delete;

  void setWallClock(double seconds) {
    state().clock = seconds;
    table_.wallClock = [] { return state().clock; };
  }
  // Null identity: the system will not say who it is.
  void setIdentity(std::optional<qvb::platform::SystemIdentity> identity) {
    state().identity = std::move(identity);
    table_.identifySystem = [](qvb::platform::SystemIdentity *out) {
      if (!state().identity) return false;
      *out = *state().identity;
      return true;
    };
  }
  // Only these paths exist (as loadable files).
  void setFiles(std::set<std::string> files) {
    state().files = std::move(files);
    table_.isLoadableFile = [](const char *path) {
      state().probed.emplace_back(path);
      return state().files.count(path) > 0;
    };
  }
  // Every open fails; the loader reports errorText (null: no text at all).
  void failOpens(const char *errorText) {
    state().openError = errorText;
    table_.openLibrary = [](const char *) -> void * {
      state().openFailed = true;
      return nullptr;
    };
    // Like dlerror: the text of the last failure, once.
    table_.takeLibraryError = []() -> const char * {
      if (!state().openFailed) return nullptr;
      state().openFailed = false;
      return state().openError;
    };
  }

  const std::vector<std::string> &probed() const { return state().probed; }
  void clearProbed() { state().probed.clear(); }

 private:
  struct State {
    double clock = 0.0;
    std::optional<qvb::platform::SystemIdentity> identity;
    std::set<std::string> files;
    std::vector<std::string> probed;
    const char *openError = nullptr;
    bool openFailed = false;
  };
  static State &state() {
    static State instance;
    return instance;
  }

  qvb::platform::OsInterface table_;
};

}  // namespace qvbtest
