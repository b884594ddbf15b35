#include "tool_support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

extern "C" void qvb_tool_default_plugin_dir(void) {
  if (std::getenv("TRX_USER_PLUGIN_DIR") != nullptr) return;
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) return;
  const fs::path bin = self.parent_path();
  for (const char *relative : {QVB_TOOL_BUILD_PLUGIN_DIR, QVB_TOOL_INSTALLED_PLUGIN_DIR}) {
    const fs::path candidate = fs::weakly_canonical(bin / relative, error);
    if (!error && fs::is_directory(candidate, error)) {
      ::setenv("TRX_USER_PLUGIN_DIR", candidate.c_str(), 1);
      return;
    }
  }
}

extern "C" QVB_Handle qvb_tool_open_body(const char *specification) {
  if (specification == nullptr) return nullptr;
  // QVB_CreateFromQVB cuts a body-file selector off before the backend sees
  // it, so "part.qvb::k" would always give the first body. The by-index
  // creation hands the name over whole, and both backends read a numeric
  // selector themselves.
  const char *selector = std::strstr(specification, "::");
  if (selector != nullptr && selector[2] >= '0' && selector[2] <= '9')
    return QVB_CreateFromFileByIndex(specification, std::atoi(selector + 2));
  return QVB_CreateFromQVB(specification);
}
