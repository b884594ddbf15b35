// Replaces parts of the OS layer for one scope: a fixed wall clock, a made-up
// system identity, a file-status probe that answers from a set (and records
// every path asked), library opens that fail, and file writes that fail at a
// chosen point. Function pointers cannot capture, so the fake state is
// static: one FakeOs at a time. It replaces the process's one table: libqvb's
// in a test that links libqvb.so, else that of qvb_platform (or of a store
// library that brings it).
#pragma once

#include "platform/os.h"

#include <cerrno>
#include <cstdint>
#include <algorithm>
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

  // File operations go to the host, counted: each from the `operation`-th
  // (from 0) fails with `error` (with onlyThatOne, that one alone: a fault
  // later ones cannot mask); once `bytes` bytes are written in all, a write
  // stores what still fits and fails with ENOSPC, as on a full disk.
  // Negative: no such fault. Removing files always works (writers clean up).
  void failFileOperations(int64_t operation, int error = EIO, int64_t bytes = -1, bool onlyThatOne = false) {
    state().failOnce = onlyThatOne;
    state().failFrom = operation;
    state().failError = error;
    state().byteBudget = bytes;
    state().operations = 0;
    state().written = 0;
    using Os = qvb::platform::OsInterface;
    table_.createFile = faulty<&Os::createFile>;
    table_.writeFileAt = [](int descriptor, const void *data, size_t size, uint64_t offset) {
      if (const int error = nextFault()) return error;
      State &s = state();
      size_t allowed = size;
      if (s.byteBudget >= 0) allowed = static_cast<size_t>(std::max<int64_t>(0, std::min<int64_t>(size, s.byteBudget - s.written)));
      s.written += static_cast<int64_t>(allowed);
      const int error = allowed == 0 ? 0 : qvb::platform::hostOs().writeFileAt(descriptor, data, allowed, offset);
      return error != 0 ? error : allowed < size ? ENOSPC : 0;
    };
    table_.syncFile = faulty<&Os::syncFile>;
    // A failed close still closes, as on the real system.
    table_.closeFile = [](int descriptor) {
      const int error = nextFault();
      const int closed = qvb::platform::hostOs().closeFile(descriptor);
      return error != 0 ? error : closed;
    };
    table_.renameFile = faulty<&Os::renameFile>;
    table_.lockExistingFile = faulty<&Os::lockExistingFile>;
    table_.createAnonymousFile = [](const char *folder, int *descriptor) {
      if (!state().anonymousFiles) return EOPNOTSUPP;
      if (const int error = nextFault()) return error;
      return qvb::platform::hostOs().createAnonymousFile(folder, descriptor);
    };
    table_.linkAnonymousFile = faulty<&Os::linkAnonymousFile>;
    table_.linkFile = faulty<&Os::linkFile>;
    table_.setAccess = faulty<&Os::setAccess>;
    table_.syncFolder = faulty<&Os::syncFolder>;
    table_.reserveFileSpace = faulty<&Os::reserveFileSpace>;
    table_.mapForWriting = faulty<&Os::mapForWriting>;
  }
  // As on a file system that cannot allocate a file's bytes ahead.
  void withoutSpaceReservation() {
    table_.reserveFileSpace = [](int, uint64_t, uint64_t) { return EOPNOTSUPP; };
  }
  // As on a file system without files that have no name: writers fall back
  // to named temporary files.
  void withoutAnonymousFiles() {
    state().anonymousFiles = false;
    table_.createAnonymousFile = [](const char *, int *) { return EOPNOTSUPP; };
  }
  // As on a file system without advisory locks (flock fails with ENOLCK):
  // existing files are opened and written unlocked.
  void withoutLocks() {
    table_.lockExistingFile = [](const char *path, double seconds, int *descriptor, qvb::platform::FileStatus *status) {
      const int code = qvb::platform::hostOs().lockExistingFile(path, seconds, descriptor, status);
      if (code == 0) status->locked = false;
      return code;
    };
  }
  // File operations counted since failFileOperations (to find every point).
  int64_t fileOperations() const { return state().operations; }
  int64_t bytesWritten() const { return state().written; }

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
    int64_t failFrom = -1, byteBudget = -1, operations = 0, written = 0;
    bool failOnce = false;  // only the operation failFrom fails
    int failError = EIO;
    bool anonymousFiles = true;
  };
  // The error the next file operation is to fail with, or 0.
  static int nextFault() {
    State &s = state();
    const int64_t operation = s.operations++;
    const bool failing = s.failOnce ? operation == s.failFrom : operation >= s.failFrom;
    return s.failFrom >= 0 && failing ? s.failError : 0;
  }
  // The host's file operation, counted and failing as nextFault() says.
  template <auto Operation, typename... Arguments>
  static int faulty(Arguments... arguments) {
    if (const int error = nextFault()) return error;
    return (qvb::platform::hostOs().*Operation)(arguments...);
  }
  static State &state() {
    static State instance;
    return instance;
  }

  qvb::platform::OsInterface table_;
};

}  // namespace qvbtest
