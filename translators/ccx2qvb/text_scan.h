// Scanning numbers out of text held in memory.
//
// The solver's files run to hundreds of megabytes, so they are read from a
// mapping, line by line, with std::from_chars: no stream, no copy, no locale.
#pragma once

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace qvb::ccx2qvb {

// Splits a buffer into lines (without the line end; a trailing '\r' is dropped).
class LineCursor {
 public:
  LineCursor(const char *begin, const char *end) : at_(begin), end_(end) {}
  bool next(std::string_view *line) {
    if (at_ >= end_) return false;
    const char *stop = static_cast<const char *>(std::memchr(at_, '\n', static_cast<size_t>(end_ - at_)));
    if (stop == nullptr) stop = end_;
    const char *last = stop;
    if (last > at_ && last[-1] == '\r') --last;
    *line = std::string_view(at_, static_cast<size_t>(last - at_));
    at_ = stop < end_ ? stop + 1 : end_;
    ++number_;
    return true;
  }
  long lineNumber() const { return number_; }
  const char *position() const { return at_; }

 private:
  const char *at_;
  const char *end_;
  long number_ = 0;
};

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Parses a double starting at p (after blanks and an optional '+'); returns
// the end of the number, or null when there is none. Accepts Fortran's 'D'
// exponent.
inline const char *scanDouble(const char *p, const char *end, double *value) {
  while (p < end && isBlank(*p)) ++p;
  if (p < end && *p == '+') ++p;
  auto result = std::from_chars(p, end, *value);
  if (result.ec != std::errc() || result.ptr == p) return nullptr;
  const char *q = result.ptr;
  if (q < end && (*q == 'D' || *q == 'd')) {  // 1.0D+03: rewrite to a local copy
    char buffer[64];
    const size_t length = static_cast<size_t>(q - p);
    const char *stop = q + 1;
    while (stop < end && (std::isdigit(static_cast<unsigned char>(*stop)) || *stop == '+' || *stop == '-')) ++stop;
    const size_t total = static_cast<size_t>(stop - p);
    if (total >= sizeof buffer) return nullptr;
    std::memcpy(buffer, p, total);
    buffer[length] = 'e';
    const char *bstart = buffer;
    auto again = std::from_chars(bstart, buffer + total, *value);
    if (again.ec != std::errc()) return nullptr;
    return p + (again.ptr - buffer);
  }
  return q;
}

inline const char *scanInt(const char *p, const char *end, int64_t *value) {
  while (p < end && isBlank(*p)) ++p;
  if (p < end && *p == '+') ++p;
  auto result = std::from_chars(p, end, *value);
  if (result.ec != std::errc() || result.ptr == p) return nullptr;
  return result.ptr;
}

// A fixed-width field [p, p + width) as a double (blanks around allowed).
inline bool fieldDouble(const char *p, size_t width, double *value) {
  const char *end = p + width;
  const char *q = scanDouble(p, end, value);
  if (q == nullptr) return false;
  while (q < end && isBlank(*q)) ++q;
  return q == end;
}

inline std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace qvb::ccx2qvb
