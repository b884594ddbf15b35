#include "platform/file_replacement.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace qvb::platform {
namespace {

const char kTemporaryMark[] = ".tmp-";

std::string folderOf(const std::string &path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// "<file>.tmp-<process>-<tick>-<count>": the process number tells a later
// writer whether the file's writer still runs.
std::string temporaryName(const std::string &path) {
  static std::atomic<unsigned> counter{0};
  const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
  return path + kTemporaryMark + std::to_string(processId()) + "-" + std::to_string(tick % 1000000007) + "-" +
         std::to_string(counter++);
}

std::string seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

bool FileReplacement::fail(const std::string &what, int code) { return fail(what + ": " + std::strerror(code)); }
bool FileReplacement::fail(const std::string &what) {
  error_ = what;
  return false;
}

bool FileReplacement::begin(const std::string &path, double lockWaitSeconds, Race race, Sync sync) {
  abandon();
  race_ = race;
  sync_ = sync;
  existing_ = lostRace_ = false;
  error_.clear();
  if (const int code = followLinks(path, &target_)) return fail("cannot be written", code);
  folder_ = folderOf(target_);
  const int code = lockExistingFile(target_.c_str(), lockWaitSeconds, &lock_, &previous_);
  if (code == ETIMEDOUT)
    return fail("is being written by another process; gave up waiting after " + seconds(lockWaitSeconds) + " s");
  if (code != 0 && code != ENOENT) return fail("cannot be written", code);
  existing_ = code == 0;
  if (existing_) removeDeadWritersTemporaries();
  if (createAnonymousFile(folder_.c_str(), &descriptor_) != 0) {
    descriptor_ = -1;
    const std::string name = temporaryName(target_);
    if (const int failed = createFile(name.c_str(), &descriptor_)) {
      descriptor_ = -1;
      return fail("cannot be written", failed);
    }
    temporary_ = name;
  }
  return true;
}

bool FileReplacement::commit() {
  if (descriptor_ < 0) return fail("cannot be written: nothing was begun");
  int code = sync_ == Sync::kToDisk ? syncFile(descriptor_) : 0;
  if (code == 0 && existing_) code = setAccess(descriptor_, previous_);
  if (code != 0) return fail("cannot be written", code);
  const bool createOnly = !existing_ && race_ == Race::kStartAgain;
  if (temporary_.empty()) {
    // Renaming needs a name, and closing (which may still fail) comes before
    // the file is put in place; a writer dying from here to the rename
    // leaves it for the next writer to remove.
    const std::string name = temporaryName(target_);
    if ((code = linkAnonymousFile(descriptor_, name.c_str())) != 0) return fail("cannot be written", code);
    temporary_ = name;
  }
  const int descriptor = descriptor_;
  descriptor_ = -1;
  if ((code = closeFile(descriptor)) != 0) return fail("cannot be written", code);
  if (!createOnly) {
    if ((code = renameFile(temporary_.c_str(), target_.c_str())) != 0) return fail("cannot be replaced", code);
  } else {
    code = linkFile(temporary_.c_str(), target_.c_str());
    if (code == EEXIST) lostRace_ = true;
    if (code != 0) return fail("cannot be written", code);
    removeFile(temporary_.c_str());  // the file keeps its other name
  }
  temporary_.clear();
  return syncFolderAfterRename();
}

bool FileReplacement::syncFolderAfterRename() {
  const int code = sync_ == Sync::kToDisk ? syncFolder(folder_.c_str()) : 0;
  abandon();  // the lock: the new file is in place
  if (code != 0)
    return fail("was written, but its folder cannot be synced, so the change may not survive a power loss", code);
  return true;
}

// Only a writer that holds the file's lock cleans, and only what processes
// that no longer run left: a temporary of a running writer (of a file that
// did not exist yet, which it could not lock) is still in use.
void FileReplacement::removeDeadWritersTemporaries() const {
  const size_t slash = target_.rfind('/');
  const std::string prefix = target_.substr(slash == std::string::npos ? 0 : slash + 1) + kTemporaryMark;
  for (const std::string &name : folderEntries(folder_.empty() ? "." : folder_)) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    char *end = nullptr;
    const long writer = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (end == nullptr || *end != '-' || isProcessRunning(writer)) continue;
    removeFile((folder_ + name).c_str());
  }
}

void FileReplacement::abandon() {
  if (descriptor_ >= 0) closeFile(descriptor_);
  descriptor_ = -1;
  if (!temporary_.empty()) removeFile(temporary_.c_str());
  temporary_.clear();
  releaseLock(lock_);
  lock_ = -1;
}

}  // namespace qvb::platform
