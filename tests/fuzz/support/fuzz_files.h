// Scratch files for fuzz targets whose code under test only reads paths.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace qvbfuzz {

// A folder of this process's own under the temporary folder (a RAM disk when
// there is one), created once.
inline const std::string &scratchFolder() {
  static const std::string folder = [] {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qvbfuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  return folder;
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
