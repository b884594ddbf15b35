#include "platform/library_scope.h"

#include <dlfcn.h>

namespace qvb::platform {

bool shareSymbolsGlobally(const char *path) {
  if (path == nullptr || *path == '\0') return false;
  // Opening a loaded library again with RTLD_NOLOAD only changes its flags;
  // the extra reference is dropped at once so the owner's unload still
  // counts right.
  void *handle = ::dlopen(path, RTLD_NOW | RTLD_NOLOAD | RTLD_GLOBAL);
  if (handle == nullptr) return false;
  ::dlclose(handle);
  return true;
}

}  // namespace qvb::platform
