#include "platform/file_kind.h"

#include <sys/stat.h>

namespace qvb::platform {

FileKind fileKind(const std::string &path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return FileKind::kMissing;
  if (S_ISREG(status.st_mode)) return FileKind::kRegular;
  if (S_ISDIR(status.st_mode)) return FileKind::kDirectory;
  return FileKind::kOther;
}

std::string describeFileKind(const std::string &path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return "missing";
  if (S_ISREG(status.st_mode)) return "a regular file";
  if (S_ISDIR(status.st_mode)) return "a folder";
  if (S_ISFIFO(status.st_mode)) return "a named pipe";
  if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return "a device";
  if (S_ISSOCK(status.st_mode)) return "a socket";
  return "not a regular file";
}

bool streamIdentity(std::FILE *stream, FileIdentity *identity) {
  struct stat status {};
  if (stream == nullptr || ::fstat(::fileno(stream), &status) != 0) return false;
  *identity = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
  return true;
}

}  // namespace qvb::platform
