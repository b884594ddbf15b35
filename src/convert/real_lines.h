// Runs of reals as the matrix file prints them: "%W.PE" values with a line
// end after every perLine of them (none after an incomplete last line),
// byte for byte what a printf per value gives. Either written to a stream
// or made in a place of the file that already has their length.
#pragma once

#include <cstddef>
#include <cstdio>

namespace qvb::convert {

// Writes the text of values[0, count) to out, the line ends counted from
// `first` (the index of values[0] in a longer run). Large inputs are
// formatted into a bounded buffer a chunk at a time, each chunk handed to
// the stream in one write, all on the caller's thread. False when a write
// fails.
bool writeRealLines(std::FILE *out, const double *values, size_t count, int perLine, int width, int precision,
                    size_t first = 0);

// The same text, made at place, which holds exactly `bytes` (values of a
// fixed width). Nothing past place + bytes is touched: false when the text
// is not of that length.
bool formatRealLinesInPlace(char *place, size_t bytes, const double *values, size_t count, size_t first, int perLine,
                            int width, int precision);

// The length of that text for `count` values of a fixed `width` whose line
// ends are counted from `first`.
inline size_t realLinesBytes(size_t first, size_t count, int perLine, int width) {
  const size_t line = perLine > 0 ? static_cast<size_t>(perLine) : 0;
  const size_t ends = line == 0 ? 0 : (first + count) / line - first / line;
  return count * static_cast<size_t>(width) + ends;
}

}  // namespace qvb::convert
