// The folder the solver works in: the one asked for (kept), or a temporary
// one that is removed when the translation ends, also on failure.
#pragma once

#include <string>

namespace qvb::ccx2qvb {

class WorkFolder {
 public:
  // keep: the folder to use and keep; empty for a temporary one. Throws
  // TranslationError when it cannot be made or is not a folder.
  explicit WorkFolder(const std::string &keep);
  ~WorkFolder();
  WorkFolder(const WorkFolder &) = delete;
  WorkFolder &operator=(const WorkFolder &) = delete;

  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }
  bool temporary() const { return temporary_; }

 private:
  std::string path_;
  bool temporary_ = false;
};

}  // namespace qvb::ccx2qvb
