// File names as callers pass them: a file name optionally followed by "::"
// and a body selector (a decimal index for body files, a body name for
// databases).
#pragma once

#include <cstddef>
#include <string>

namespace qvb::front {

// Fixed sizes, terminating NUL included, of the texts the front accepts. A
// caller that sizes its own name buffers at these sizes can never be overrun
// by the front, because longer texts are refused instead of cut.
constexpr std::size_t kFileNameBufferSize = 1024;
constexpr std::size_t kBodyNameBufferSize = 256;

struct FileSpec {
  std::string file;       // the text before the first "::" (all of it without one)
  bool hasSelector = false;
  std::string selector;   // the text after the first "::"

  // A selector that starts with a decimal digit is a body index.
  bool selectorIsIndex() const;
  // atoi of the selector, or 1 (the first body) without a selector.
  int index() const;
};

FileSpec splitFileSpec(const char *specification);

// True when text (not null) fits a buffer of bufferSize bytes with its NUL.
// Otherwise reports "<function>: <what> ..." through QVB_Error and returns false.
bool acceptText(const char *function, const char *what, const char *text, std::size_t bufferSize);

}  // namespace qvb::front
