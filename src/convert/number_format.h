// Number text for the matrix file, byte for byte what printf's "%W.PE" and
// "%Wd" produce, at several times the speed. The significant digits of a
// real come from one wide product (scientific_digits.h), eight characters
// are made at a time, and the few values that product cannot decide (exact
// ties, zeros, infinities, NaNs) go through std::to_chars's exact
// conversion; this file adds printf's spelling (upper-case E, INF, NAN,
// -NAN) and the right-aligned padding.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

namespace qvb::kernels {

// Room enough for any text below with a width up to 40.
constexpr size_t kNumberTextMax = 64;

// printf("%*.*E", width, precision, value) into out (not NUL-terminated);
// returns the length. precision is 0..17, width at most 40 (so the text
// fits in kNumberTextMax).
size_t formatScientific(char *out, double value, int width, int precision);

// printf("%*d", width, value) into out; returns the length. width at most 40.
size_t formatInteger(char *out, long long value, int width);

// The matrix file's two real conversions: "%22.14E" or "%16.8E".
inline size_t formatReal(char *out, double value, bool doublePrecision) {
  return doublePrecision ? formatScientific(out, value, 22, 14) : formatScientific(out, value, 16, 8);
}

// Collects text in memory and hands it to a stream in large writes. Nothing
// reaches the stream before flush() (or destruction), so a caller that also
// writes to the stream directly must flush first to keep the byte order.
class BufferedText {
 public:
  explicit BufferedText(std::FILE *out, size_t capacity = size_t{1} << 16);
  ~BufferedText();
  BufferedText(const BufferedText &) = delete;
  BufferedText &operator=(const BufferedText &) = delete;

  void real(double value, int width, int precision) {
    room();
    used_ += formatScientific(buffer_.data() + used_, value, width, precision);
  }
  void integer(long long value, int width) {
    room();
    used_ += formatInteger(buffer_.data() + used_, value, width);
  }
  void character(char c) {
    room();
    buffer_[used_++] = c;
  }
  void text(const char *text, size_t length);

  // Writes what is pending; false once any write to the stream has failed.
  bool flush();

 private:
  void room() {
    if (buffer_.size() - used_ < kNumberTextMax) flush();
  }
  std::FILE *out_;
  std::vector<char> buffer_;
  size_t used_ = 0;
  bool ok_ = true;
};

// Writes values "%*.*E" to out with a line end after every perLine values
// (none after an incomplete last line): the bytes a printf per value gives.
// Large inputs are formatted into a bounded buffer a chunk at a time, each
// chunk handed to the stream in one write, all on the caller's thread.
// False when a write fails.
bool writeRealLines(std::FILE *out, const double *values, size_t count, int perLine, int width,
                    int precision);

// The same text for values[0, count), made at place, which holds exactly
// `bytes` (values of a fixed width); the line ends fall after every perLine
// values counted from `first`, the index of values[0] in a longer run.
// Nothing past place + bytes is touched: false when the text is not of that
// length.
bool formatRealLinesInPlace(char *place, size_t bytes, const double *values, size_t count, size_t first, int perLine,
                            int width, int precision);

}  // namespace qvb::kernels
