// What a path names, before a command opens it: reading a named pipe or a
// device would wait for a writer that never comes, so commands that read
// whole files refuse anything but a regular file at once.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace qvb::platform {

enum class FileKind { kMissing, kRegular, kDirectory, kOther };

// Follows links; kMissing also when the status cannot be read.
FileKind fileKind(const std::string &path);

// "a named pipe", "a device", "a folder", ... for messages.
std::string describeFileKind(const std::string &path);

// The device and inode of an open stream, the same for every name of one file
// ("s.sel", "./s.sel", a link to it). False when the system would not say.
using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;
bool streamIdentity(std::FILE *stream, FileIdentity *identity);

}  // namespace qvb::platform
