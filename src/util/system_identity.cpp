// QVB_uname: the operating system's name and release in a fixed form.
#include "qvb/qvb_util.h"

#include "platform/os.h"
#include "util/c_boundary.h"

#include <cstdio>
#include <string>

namespace {

// Documented in qvb_util.h: every system identified through uname reports 3.
constexpr int kUnamePlatformNumber = 3;
constexpr std::size_t kIdentitySize = 64;

}  // namespace

extern "C" QVB_API int QVB_uname(int selector, char *out) {
  if (out == nullptr) return 1;
  out[0] = '\0';
  qvb::platform::SystemIdentity identity;
  if (!qvb::platform::identifySystem(&identity)) return 1;
  int major = 0;
  int minor = 0;
  // "6.1.0-18-amd64" -> 6 and 1; a release without a readable major
  // number is a system we cannot identify.
  if (std::sscanf(identity.release.c_str(), "%d.%d", &major, &minor) < 1) return 1;

  const std::string name = identity.systemName + "_";
  const std::string release = std::to_string(major) + "_" + std::to_string(minor);
  const std::string platform = std::to_string(kUnamePlatformNumber);
  std::string text;
  switch (selector) {
    case 2: text = name + " " + release; break;
    case 3: text = name + " " + release + " " + platform; break;
    case 12: text = name + "_" + release; break;
    case 13: text = name + "_" + release + "_" + platform; break;
    default: text = name; break;
  }
  qvb::util::copyCut(out, text, kIdentitySize);
  return 0;
}
