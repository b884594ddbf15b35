#include "convert/arg_tokens.h"

#include <cstring>

namespace qvb::convert {

bool appendCommaTokens(const char *text, std::vector<std::string> &tokens) {
  if (text == nullptr) return true;
  if (std::strlen(text) > kMaxArgumentLength) return false;
  const char *piece = text;
  for (const char *p = text;; ++p) {
    if (*p == ',' || *p == '\0') {
      if (p > piece) tokens.emplace_back(piece, p);
      if (*p == '\0') break;
      piece = p + 1;
    }
  }
  return true;
}

}  // namespace qvb::convert
