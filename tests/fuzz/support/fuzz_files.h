// Scratch files for fuzz targets whose code under test only reads paths.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace qvbfuzz {

inline void removeScratchFolder();

// A folder of this process's own under the temporary folder (a RAM disk when
// there is one), created once and removed when the process exits.
inline const std::string &scratchFolder() {
  // Never destroyed, so that the exit handler can still read it.
  static const std::string &folder = *new std::string([] {
    const char *base = std::getenv("TMPDIR");
    if (base == nullptr || *base == '\0') base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/qvbfuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }());
  static const int cleanup = std::atexit(removeScratchFolder);
  (void)cleanup;
  return folder;
}

inline void removeScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(scratchFolder(), ignored);
}

// Replaces the file `name` in the scratch folder with the bytes; returns its path.
inline std::string writeScratchFile(const char *name, const void *data, size_t size) {
  const std::string path = scratchFolder() + "/" + name;
  std::FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

}  // namespace qvbfuzz
