// QVB_ConvertUnitsLabel on any text, in a buffer of the documented minimum
// size (or larger for long texts). A recognised label must come out as a
// canonical name that is itself recognised and left unchanged.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "qvb.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::vector<char> label(std::max<size_t>(size + 1, 15), '\0');
  std::memcpy(label.data(), data, size);
  const std::vector<char> before = label;
  if (QVB_ConvertUnitsLabel(label.data()) == 0) {
    if (label != before) std::abort();  // an unknown label must be left alone
    return 0;
  }
  const size_t n = strnlen(label.data(), label.size());
  if (n == 0 || n > 14) std::abort();
  for (size_t i = 0; i < n; ++i)
    if (std::islower(static_cast<unsigned char>(label[i]))) std::abort();
  char again[15] = {};
  std::memcpy(again, label.data(), n);
  if (QVB_ConvertUnitsLabel(again) != 1 || std::strcmp(again, label.data()) != 0) std::abort();
  return 0;
}
