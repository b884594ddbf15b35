// Turning a short library name into the full name of an existing file.
//
// The places searched come from the environment, in this order, each only
// while nothing has been found:
//   1. TRX_USER_PLUGIN_DIR joined with PATH (or either one alone);
//   2. short_topdir/TRX_CPU, when both are set;
//   3. the library's own plug-in folder (beside libqvb.so as installed), so
//      that a host linked against an installation needs no environment;
//   4. the current directory.
// In each directory the name is tried with the library extension appended,
// then as given; a name that begins with "lib" is also tried without it.
// Names that look like paths ("/x", "./x", "C:\x") are only tried directly.
#pragma once

#include "loader/trxNamingConvention.h"

#include <optional>
#include <string>

class trxLibrarySearch {
 public:
  // Answers "does a loadable file exist at this path?".
  using FileProbe = bool (*)(const char *path);

  // The host naming convention and the platform's file-status test.
  trxLibrarySearch();
  // For tests and for resolving names of another system; ownPluginFolder is
  // the folder of step 3 (none: the step is left out).
  trxLibrarySearch(const trxNamingConvention &naming, FileProbe probe,
                   std::optional<std::string> ownPluginFolder = std::nullopt);

  // Forgets everything from the previous search.
  void clear();

  // Records the name and its decorations, then searches. Returns the full
  // file name, or nothing when no candidate exists (or name is null/empty).
  std::optional<std::string> resolve(const char *name);

  // The "could not be located" text for the state left by resolve().
  std::string notLocatedMessage() const;

  // Joins the plugin directory with PATH, keeping TRX_OLD_PATH (the PATH a
  // launcher saw before it prepended its own entries) at the end, so that
  // the plugin directory wins over everything the launcher added.
  std::string joinPluginDirWithPath(const std::string &pluginDir, const std::string &path) const;

  const std::string &name() const { return name_; }

 private:
  std::optional<std::string> tryCandidate(const std::string &candidate) const;
  std::optional<std::string> searchDirectory(const std::string &directory) const;
  std::optional<std::string> searchList(const std::string &list) const;
  std::optional<std::string> searchEverywhere();
  bool endsWithExtension(const std::string &name) const;

  trxNamingConvention naming_;
  FileProbe probe_;
  std::optional<std::string> ownPluginFolder_;

  // The search state; "set" places are the ones the message lists.
  std::string name_;
  std::optional<std::string> suffix_;
  std::optional<std::string> prefix_;
  std::optional<std::string> pluginDirectory_;
  std::optional<std::string> path_;
  std::optional<std::string> platformDirectory_;
  std::optional<std::string> libraryDirectory_;
  std::optional<std::string> currentDirectory_;
};

// True when the name is a path to try as it is rather than a name to search.
bool trxIsPathLikeName(const std::string &name);
