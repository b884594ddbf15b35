// Writing a file by replacing it whole, so that readers, and whoever looks
// after a crash or a power loss, find the old file or the new one, never a
// mix of both.
//
// The new content goes to a file of its own in the target's folder: one with
// no name where the file system has them, so that a writer that dies leaves
// nothing behind; otherwise one named "<file>.tmp-<process>-...", and the next
// writer of the file removes those of processes that no longer run.
// Committing syncs it, gives it the old file's permission bits (and owner and
// group, where the process may), puts it in the old file's place in one
// rename and syncs the folder, so that a completed write survives a power
// loss.
//
// Writers of one file take turns: each holds the old file's advisory lock
// from before it reads the old content until its own is in place, so no
// writer's change is lost to another's. (A file that does not exist yet has
// nothing to lock: it is created only if it still does not exist, and a
// writer that lost that race starts again, reading the winner's file.)
//
// A path that is a symbolic link replaces the file the link names, in that
// file's folder, and the link stays. A file with several names (hard links)
// is replaced under the name written: the other names keep the previous
// content, because there is no way to change a file's content in place that
// is safe against a crash and against readers that have it mapped.
#pragma once

#include <string>

#include "platform/os.h"

namespace qvb::platform {

class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement() { abandon(); }
  FileReplacement(const FileReplacement &) = delete;
  FileReplacement &operator=(const FileReplacement &) = delete;

  // What commit() does when the file did not exist at begin() and another
  // writer has created it since: report a lost race (for content built on
  // the old file), or replace that file (for content that is new as a whole).
  enum class Race { kStartAgain, kLastWins };
  // Whether commit() waits until the new file and the rename are on the
  // disk: for stores; outputs that can be made again may skip it and stay
  // as fast as the file cache (a power loss can then cut them short).
  enum class Sync { kToDisk, kNone };

  // Starts replacing `path`, waiting up to `lockWaitSeconds` while other
  // writers of the file finish. False with error() set.
  bool begin(const std::string &path, double lockWaitSeconds, Race race = Race::kStartAgain,
             Sync sync = Sync::kToDisk);
  // The file being replaced (a link's target). While replacesExisting(), its
  // old content may be read until commit(), and no other writer changes it.
  const std::string &target() const { return target_; }
  bool replacesExisting() const { return existing_; }
  const FileStatus &previous() const { return previous_; }
  // Where the new content is written (writeFileAt).
  int descriptor() const { return descriptor_; }

  // Puts the new content in place. False with error() set; lostRace() then
  // tells that another writer created the file after begin() found none,
  // and the write should start again (reading that file).
  bool commit();
  bool lostRace() const { return lostRace_; }
  // What failed and the system's reason ("cannot be written: No space left
  // on device"), to follow the file's name in a message.
  const std::string &error() const { return error_; }

 private:
  bool fail(const std::string &what, int code);
  bool fail(const std::string &what);
  bool syncFolderAfterRename();
  void removeDeadWritersTemporaries() const;
  void abandon();

  std::string target_, folder_, temporary_, error_;
  FileStatus previous_;
  Race race_ = Race::kStartAgain;
  Sync sync_ = Sync::kToDisk;
  bool existing_ = false, lostRace_ = false;
  int lock_ = -1, descriptor_ = -1;
};

}  // namespace qvb::platform
