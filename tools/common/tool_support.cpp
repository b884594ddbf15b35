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
  // Not QVB_CreateFromQVB, which reads "fleet.master::1x" as body 1, nor the
  // by-index creation, which takes the file kind from the whole text.
  return specification == nullptr ? nullptr : qvb_OpenBody(specification, 0);
}
