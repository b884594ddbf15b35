// The number text as the converter made it before its fast formatter: one
// snprintf per number. Linked into the bench's reference libqvb in place of
// src/convert/number_format.cpp.
#include <cstdio>
#include <cstring>

#include "convert/number_format.h"

namespace qvb::convert {

namespace {

// snprintf's text without its NUL, which the caller has not made room for.
size_t printed(char *out, const char *text, int length) {
  const size_t size = length > 0 ? static_cast<size_t>(length) : 0;
  std::memcpy(out, text, size);
  return size;
}

}  // namespace

size_t formatScientific(char *out, double value, int width, int precision) {
  char text[kNumberTextMax + 1];
  return printed(out, text, std::snprintf(text, sizeof text, "%*.*E", width, precision, value));
}

size_t formatInteger(char *out, long long value, int width) {
  char text[kNumberTextMax + 1];
  return printed(out, text, std::snprintf(text, sizeof text, "%*lld", width, value));
}

}  // namespace qvb::convert
