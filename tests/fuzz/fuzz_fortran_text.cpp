// The Fortran text rule: a pointer, a length and no terminating NUL. The
// text is placed in a heap block of exactly the bytes the rule may read, so
// any read past them is caught.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fortran/fortran_text.h"

using namespace qvb::fortran;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int length = in.ConsumeIntegralInRange<int>(-4, 300);
  const size_t bufferSize = in.ConsumeIntegralInRange<size_t>(0, 300);
  std::vector<char> rest = in.ConsumeRemainingBytes<char>();

  const size_t readable = std::min({size_t(std::max(length, 0)), bufferSize, rest.size()});
  if (readable == size_t(std::max(length, 0)) || readable == bufferSize) {
    char *text = static_cast<char *>(std::malloc(readable + 1));
    if (readable > 0) std::memcpy(text, rest.data(), readable);
    char *buffer = static_cast<char *>(std::malloc(bufferSize + 1));
    convertFixedText(readable ? text : nullptr, length, buffer, bufferSize);
    if (bufferSize > 0) {
      const size_t n = strnlen(buffer, bufferSize);
      if (n == bufferSize) std::abort();                  // not terminated
      // Blanks are only stripped back to an embedded NUL, so check the rule
      // on texts without one.
      const bool hasNul = std::memchr(text, '\0', readable) != nullptr;
      if (!hasNul && n > 0 && buffer[n - 1] == ' ') std::abort();  // trailing blank kept
      if (std::memcmp(buffer, text, n) != 0) std::abort();  // not a prefix
    }
    std::free(buffer);
    std::free(text);
  }

  if (length >= 0 && size_t(length) <= rest.size()) {
    char *copy = copyExactText(rest.data(), length);
    if (copy == nullptr || (length > 0 && std::memcmp(copy, rest.data(), length) != 0) || copy[length] != '\0') std::abort();
    std::free(copy);
  }
  return 0;
}
