#include "loader/trxLibrarySearch.h"

#include "platform/os.h"
#include "platform/own_location.h"

#include <cctype>
#include <utility>

namespace {

bool startsWith(const std::string &text, const char *head) { return text.rfind(head, 0) == 0; }

std::optional<std::string> environment(const char *name) {
  const char *value = qvb::platform::getEnv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// The installed plug-in folder, found from where this library was loaded
// rather than from a prefix fixed at build time, so a moved installation
// still finds its plug-ins.
std::optional<std::string> installedPluginFolder() {
  const std::string folder = qvb::platform::folderOfThisLibrary();
  if (folder.empty()) return std::nullopt;
  return folder + "/" + QVB_LIBRARY_TO_PLUGIN_DIR;
}

}  // namespace

bool trxIsPathLikeName(const std::string &name) {
  if (name.empty()) return false;
  const unsigned char first = static_cast<unsigned char>(name[0]);
  if (!std::isalnum(first) && first != '_' && first != '.') return true;
  if (startsWith(name, "./") || startsWith(name, ".\\")) return true;
  if (startsWith(name, "../") || startsWith(name, "..\\")) return true;
  return name.find(":/") != std::string::npos || name.find(":\\") != std::string::npos;
}

trxLibrarySearch::trxLibrarySearch()
    : trxLibrarySearch(kHostNaming, qvb::platform::isLoadableFile, installedPluginFolder()) {}

trxLibrarySearch::trxLibrarySearch(const trxNamingConvention &naming, FileProbe probe,
                                   std::optional<std::string> ownPluginFolder)
    : naming_(naming), probe_(probe), ownPluginFolder_(std::move(ownPluginFolder)) {}

void trxLibrarySearch::clear() {
  name_.clear();
  suffix_.reset();
  prefix_.reset();
  pluginDirectory_.reset();
  path_.reset();
  platformDirectory_.reset();
  libraryDirectory_.reset();
  currentDirectory_.reset();
}

// The name already carries the extension when its last dot is neither the
// first character nor part of "..", and the text from it is exactly the
// extension (bytes compared, so "X.DLL" still gets ".dll" added).
bool trxLibrarySearch::endsWithExtension(const std::string &name) const {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || name[dot - 1] == '.') return false;
  return name.compare(dot, std::string::npos, naming_.extension) == 0;
}

std::optional<std::string> trxLibrarySearch::tryCandidate(const std::string &candidate) const {
  if (suffix_) {
    std::string decorated = candidate + *suffix_;
    if (probe_(decorated.c_str())) return decorated;
  }
  if (probe_(candidate.c_str())) return candidate;
  return std::nullopt;
}

std::optional<std::string> trxLibrarySearch::searchDirectory(const std::string &directory) const {
  const std::string head = directory + naming_.directorySeparator;
  if (auto hit = tryCandidate(head + name_)) return hit;
  // Without a recorded prefix the name begins with "lib" (or holds a
  // separator): try it without its first three characters as well.
  if (!prefix_ && name_.size() > 3) return tryCandidate(head + name_.substr(3));
  return std::nullopt;
}

std::optional<std::string> trxLibrarySearch::searchList(const std::string &list) const {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(naming_.listSeparator, start);
    if (end == std::string::npos) end = list.size();
    if (end > start) {
      if (auto hit = searchDirectory(list.substr(start, end - start))) return hit;
    }
    start = end + 1;
  }
  return std::nullopt;
}

std::string trxLibrarySearch::joinPluginDirWithPath(const std::string &pluginDir, const std::string &path) const {
  const std::string old = environment("TRX_OLD_PATH").value_or("");
  const char separator = naming_.listSeparator;
  if (path.size() >= 2 && old.size() >= 2) {
    std::string trimmed;
    std::size_t from = 0;
    for (std::size_t at = path.find(old); at != std::string::npos; at = path.find(old, from)) {
      trimmed.append(path, from, at - from);
      from = at + old.size();
    }
    trimmed.append(path, from, std::string::npos);
    return trimmed + separator + pluginDir + separator + old;
  }
  return pluginDir + separator + path;
}

std::optional<std::string> trxLibrarySearch::searchEverywhere() {
  std::optional<std::string> hit;
  pluginDirectory_ = environment("TRX_USER_PLUGIN_DIR");
  path_ = environment("PATH");
  if (pluginDirectory_) {
    hit = searchList(path_ ? joinPluginDirWithPath(*pluginDirectory_, *path_) : *pluginDirectory_);
  } else if (path_) {
    hit = searchList(*path_);
  }
  if (!hit) {
    const auto cpu = environment("TRX_CPU");
    const auto topDirectory = environment("short_topdir");
    if (cpu && topDirectory) {
      platformDirectory_ = *topDirectory + naming_.directorySeparator + *cpu;
      hit = searchDirectory(*platformDirectory_);
    }
  }
  // After everything the environment names, so those still choose, but before
  // the current directory, so a file planted there never wins over the
  // installed plug-in.
  if (!hit && ownPluginFolder_) {
    libraryDirectory_ = ownPluginFolder_;
    hit = searchDirectory(*libraryDirectory_);
  }
  if (!hit) {
    // searchDirectory adds the separator; the directory itself is ".".
    currentDirectory_ = naming_.currentDirectory;
    hit = searchDirectory(".");
  }
  return hit;
}

std::optional<std::string> trxLibrarySearch::resolve(const char *name) {
  clear();
  if (name == nullptr || *name == '\0') return std::nullopt;
  name_ = name;
  if (!endsWithExtension(name_)) suffix_ = naming_.extension;
  const bool hasSeparator = name_.find_first_of("\\/") != std::string::npos;
  if (!hasSeparator && !startsWith(name_, "lib")) prefix_ = "lib";
  if (trxIsPathLikeName(name_)) return tryCandidate(name_);
  return searchEverywhere();
}

std::string trxLibrarySearch::notLocatedMessage() const {
  std::string candidates = name_;
  if (prefix_) candidates += ", " + *prefix_ + name_;
  if (suffix_) candidates += ", " + name_ + *suffix_;
  if (prefix_ && suffix_) candidates += ", " + *prefix_ + name_ + *suffix_;

  const std::optional<std::string> *places[] = {&pluginDirectory_, &path_, &platformDirectory_,
                                                &libraryDirectory_, &currentDirectory_};
  std::size_t placesLength = 0;
  for (const auto *place : places) placesLength += *place ? (*place)->size() : 0;
  std::string pathList;
  if (placesLength > 0) {
    pathList = " They were not located in the path list";
    for (const auto *place : places) {
      if (*place) pathList += ";" + **place;
    }
  }
  return "The user library \"" + name_ + "\" could not be located. These name(s) were searched for: " +
         candidates + "." + pathList;
}
