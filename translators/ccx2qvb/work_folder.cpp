#include "work_folder.h"

#include <filesystem>

#include "errors.h"
#include "platform/child_process.h"
#include "platform/file_kind.h"

namespace qvb::ccx2qvb {

WorkFolder::WorkFolder(const std::string &keep) {
  if (keep.empty()) {
    std::string error;
    platform::removeStaleWorkFolders("ccx2qvb-");  // left by runs that were killed outright
    path_ = platform::makeTemporaryFolder("ccx2qvb-", &error);
    if (path_.empty()) throw TranslationError("cannot make a temporary work folder: " + error);
    temporary_ = true;
    return;
  }
  std::error_code error;
  std::filesystem::create_directories(keep, error);
  if (platform::fileKind(keep) != platform::FileKind::kDirectory)
    throw TranslationError("cannot use " + keep + " as the work folder: it is " + platform::describeFileKind(keep) +
                           (error ? " (" + error.message() + ")" : std::string()));
  path_ = std::filesystem::absolute(keep).string();
}

WorkFolder::~WorkFolder() {
  if (temporary_) platform::removeFolder(path_);
}

}  // namespace qvb::ccx2qvb
