#include "convert/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <thread>

namespace qvb::convert {

namespace {

// Right-aligns text[0, length) in a field of width blanks, as printf does.
size_t PadLeft(char *out, const char *text, size_t length, int width) {
  const size_t field = width > 0 ? static_cast<size_t>(width) : 0;
  const size_t blanks = field > length ? field - length : 0;
  std::memset(out, ' ', blanks);
  std::memcpy(out + blanks, text, length);
  return blanks + length;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

size_t FormatScientific(char *out, double value, int width, int precision) {
  char text[kNumberTextMax];
  size_t length;
  if (std::isfinite(value)) {
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, precision);
    length = static_cast<size_t>(result.ptr - text);
    // The exponent is "e+dd" or "e+ddd"; only its letter differs from printf.
    char *e = text + length - 4;
    if (*e != 'e') --e;
    *e = 'E';
  } else {
    // printf spells these in capitals and keeps the sign of a NaN.
    const char *word = std::isnan(value) ? "NAN" : "INF";
    length = 0;
    if (std::signbit(value)) text[length++] = '-';
    for (const char *c = word; *c != '\0'; ++c) text[length++] = Upper(*c);
  }
  return PadLeft(out, text, length, width);
}

size_t FormatInteger(char *out, long long value, int width) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return PadLeft(out, text, static_cast<size_t>(result.ptr - text), width);
}

BufferedText::BufferedText(std::FILE *out, size_t capacity)
    : out_(out), buffer_(capacity < 2 * kNumberTextMax ? 2 * kNumberTextMax : capacity) {}

BufferedText::~BufferedText() { Flush(); }

void BufferedText::Text(const char *text, size_t length) {
  while (length > 0) {
    if (used_ == buffer_.size()) Flush();
    const size_t part = std::min(length, buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, text, part);
    used_ += part;
    text += part;
    length -= part;
  }
}

bool BufferedText::Flush() {
  if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, out_) != used_) ok_ = false;
  used_ = 0;
  return ok_;
}

namespace {

// Formats values [first, last) into out, which has room for them; returns
// the end of the text.
char *FormatRange(const double *values, size_t first, size_t last, int per_line, int width,
                  int precision, char *out) {
  const size_t line = per_line > 0 ? static_cast<size_t>(per_line) : 0;
  for (size_t i = first; i < last; ++i) {
    out += FormatScientific(out, values[i], width, precision);
    if (line > 0 && (i + 1) % line == 0) *out++ = '\n';
  }
  return out;
}

}  // namespace

bool WriteRealLines(std::FILE *out, const double *values, size_t count, int per_line, int width,
                    int precision) {
  // Values per chunk: enough work to pay for a thread start many times over,
  // little enough memory to stay cache-warm and cheap to allocate.
  constexpr size_t kChunk = size_t{1} << 15;
  // Room per value: the padded text (at most 26 characters unpadded for
  // precisions up to 17) and a line end.
  const size_t per_value = static_cast<size_t>(std::max(width, 32)) + 1;
  const size_t chunk = std::min(count, kChunk);
  std::vector<char> first(chunk * per_value), second;
  const bool two_threads = count > kChunk && std::thread::hardware_concurrency() >= 2;
  if (two_threads) second.resize(chunk * per_value);
  bool ok = true;
  for (size_t at = 0; at < count;) {
    const size_t first_end = std::min(count, at + chunk);
    const size_t second_end = two_threads ? std::min(count, first_end + chunk) : first_end;
    char *second_stop = second.data();
    std::thread helper;
    if (second_end > first_end)
      helper = std::thread([&] {
        second_stop = FormatRange(values, first_end, second_end, per_line, width, precision, second.data());
      });
    char *first_stop = FormatRange(values, at, first_end, per_line, width, precision, first.data());
    if (helper.joinable()) helper.join();
    const size_t first_size = static_cast<size_t>(first_stop - first.data());
    const size_t second_size = static_cast<size_t>(second_stop - second.data());
    // An empty chunk has no buffer at all, and fwrite wants one.
    if (first_size > 0) ok = std::fwrite(first.data(), 1, first_size, out) == first_size && ok;
    if (second_size > 0) ok = std::fwrite(second.data(), 1, second_size, out) == second_size && ok;
    at = second_end;
  }
  return ok;
}

}  // namespace qvb::convert
