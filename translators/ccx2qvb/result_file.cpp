#include "result_file.h"

#include "errors.h"
#include "platform/file_kind.h"

namespace qvb::ccx2qvb {

std::shared_ptr<const platform::MappedFile> openResultFile(const std::string &path) {
  const platform::FileKind kind = platform::fileKind(path);
  if (kind == platform::FileKind::kMissing) throw ResultFileError("the solver did not write " + path);
  if (kind != platform::FileKind::kRegular)
    throw ResultFileError(path + " is " + platform::describeFileKind(path) + ", not a result file");
  std::string error;
  auto file = platform::MappedFile::open(path, &error);
  if (!file) throw ResultFileError("cannot read " + path + ": " + error);
  if (file->size() == 0) throw ResultFileError(path + " is empty: the solver stopped before writing it");
  file->willRead(file->data(), file->size());
  return file;
}

}  // namespace qvb::ccx2qvb
