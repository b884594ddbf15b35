#include "front/file_kind.h"

#include <cctype>
#include <cstring>
#include <string>

namespace qvb::front {

FileKind fileKindOf(const char *name) {
  if (name == nullptr) return kOtherFile;
  const char *dot = std::strrchr(name, '.');
  if (dot == nullptr) return kOtherFile;

  // Cut at the first blank, then at the first ':', so that "part.qvb::2" and
  // "part.qvb 2" (a selector written after a blank) both give ".qvb". A dot in
  // a folder name ("dir.old/part") yields ".old/part", which matches nothing.
  std::string extension(dot);
  extension = extension.substr(0, extension.find(' '));
  extension = extension.substr(0, extension.find(':'));
  for (char &c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  if (extension == ".qvb") return kBodyFile;
  if (extension == ".master") return kDatabase;
  return kOtherFile;
}

}  // namespace qvb::front
