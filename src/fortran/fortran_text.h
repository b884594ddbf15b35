// Turning Fortran texts (a pointer and a length, no terminating NUL, padded
// with blanks) into C strings.
#pragma once

#include <cstddef>

namespace qvb::fortran {

// Fixed-buffer rule: copy at most size bytes (stopping at a NUL), terminate at
// min(length, size - 1) and turn the trailing blanks into NULs. Leading blanks
// stay. A negative length gives an empty text. Never reads more than
// min(length, size) bytes of the argument.
void convertFixedText(const char *text, int length, char *buffer, std::size_t size);

// A text converted into a buffer of N bytes that lives as long as the call.
template <std::size_t N>
class FixedText {
 public:
  FixedText(const char *text, int length) { convertFixedText(text, length, buffer_, N); }
  const char *cString() const { return buffer_; }

 private:
  char buffer_[N];
};

// Exact-length copy: length + 1 bytes from malloc, the first length bytes of
// the text (trailing blanks kept) and a NUL. Null when length is negative or
// memory runs out; release with std::free.
char *copyExactText(const char *text, int length);

}  // namespace qvb::fortran
