#include "platform/own_location.h"

#include <dlfcn.h>

namespace qvb::platform {

std::string folderOfThisLibrary() {
  Dl_info info{};
  // Any address inside this object will do; this function's own is at hand.
  if (::dladdr(reinterpret_cast<void *>(&folderOfThisLibrary), &info) == 0 || info.dli_fname == nullptr)
    return {};
  const std::string file = info.dli_fname;
  const std::size_t slash = file.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : file.substr(0, slash);
}

}  // namespace qvb::platform
