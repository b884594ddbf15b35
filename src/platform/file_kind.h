// What a path names, before a command opens it: reading a named pipe or a
// device would wait for a writer that never comes, so commands that read
// whole files refuse anything but a regular file at once.
#pragma once

#include <string>

namespace qvb::platform {

enum class FileKind { kMissing, kRegular, kDirectory, kOther };

// Follows links; kMissing also when the status cannot be read.
FileKind fileKind(const std::string &path);

// "a named pipe", "a device", "a folder", ... for messages.
std::string describeFileKind(const std::string &path);

}  // namespace qvb::platform
