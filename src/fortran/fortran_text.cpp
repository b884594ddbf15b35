#include "fortran/fortran_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qvb::fortran {

void convertFixedText(const char *text, int length, char *buffer, std::size_t size) {
  if (size == 0) return;
  std::memset(buffer, 0, size);
  const std::size_t usable = length > 0 ? static_cast<std::size_t>(length) : 0;
  // Bytes past the text's own length are never looked at: the terminator
  // below would cut them off anyway, and the caller may not own them.
  const std::size_t copied = std::min(usable, size);
  if (text != nullptr) {
    for (std::size_t i = 0; i < copied && text[i] != '\0'; ++i) buffer[i] = text[i];
  }
  std::size_t end = std::min(usable, size - 1);
  buffer[end] = '\0';
  while (end > 0 && buffer[end - 1] == ' ') buffer[--end] = '\0';
}

char *copyExactText(const char *text, int length) {
  if (length < 0) return nullptr;
  const std::size_t count = static_cast<std::size_t>(length);
  char *copy = static_cast<char *>(std::malloc(count + 1));
  if (copy == nullptr) return nullptr;
  if (count > 0 && text != nullptr) std::memcpy(copy, text, count);
  else if (count > 0) std::memset(copy, 0, count);
  copy[count] = '\0';
  return copy;
}

}  // namespace qvb::fortran
