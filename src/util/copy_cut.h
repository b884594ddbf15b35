// Copying a text into a caller's fixed-size buffer without overflowing it.
#pragma once

#include <cstring>
#include <string>

namespace qvb::util {

// Copies text into out (size bytes, size > 0), cutting what does not fit;
// the result is always NUL-terminated.
inline void copyCut(char *out, const std::string &text, std::size_t size) {
  const std::size_t length = text.size() < size ? text.size() : size - 1;
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}

}  // namespace qvb::util
