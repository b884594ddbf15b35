#include "tool_support.h"

#include <filesystem>

#include "platform/os.h"
#include "platform/process_environment.h"

namespace fs = std::filesystem;

extern "C" void qvb_tool_default_plugin_dir(void) {
  if (qvb::platform::getEnv("TRX_USER_PLUGIN_DIR") != nullptr) return;
  const std::string self = qvb::platform::executablePath();
  if (self.empty()) return;
  const fs::path bin = fs::path(self).parent_path();
  for (const char *relative : {QVB_TOOL_BUILD_PLUGIN_DIR, QVB_TOOL_INSTALLED_PLUGIN_DIR}) {
    // The executable's path is already free of links, so folding ".." by
    // the text gives the folder itself.
    const fs::path candidate = (bin / relative).lexically_normal();
    if (qvb::platform::isDirectory(candidate.c_str())) {
      qvb::platform::putEnvironment("TRX_USER_PLUGIN_DIR", candidate.string());
      return;
    }
  }
}

extern "C" QVB_Handle qvb_tool_open_body(const char *specification) {
  if (specification == nullptr) return nullptr;
  char file[1024], name[256];
  int index = 0;
  if (qvb_ParseBodySelector(specification, file, sizeof file, &index, name, sizeof name) == 0) return nullptr;
  // QVB_CreateFromQVB cuts a body-file selector off before the backend sees
  // it and reads "fleet.master::1x" as body 1, so the by-index creation is
  // used: it hands the whole "file::selector" text over, and both backends read the
  // selector by the grammar just checked (index 0: none, or by name).
  return QVB_CreateFromFileByIndex(specification, index);
}
