// The converter's command line as one list of tokens: every argument, the
// program name included, split at commas, so "+N 1,2,5" and "+N,1,2,5" read
// alike. A selection file appends its words to the same list.
#pragma once

#include <string>
#include <vector>

namespace qvb::convert {

// Longest argument or selection-file word that the converter accepts.
constexpr size_t kMaxArgumentLength = 999;

// Appends the comma-separated pieces of `text` to `tokens`; empty pieces
// vanish. Returns false (and appends nothing) when `text` is too long.
bool appendCommaTokens(const char *text, std::vector<std::string> &tokens);

// True for a token that starts a switch and so ends any list before it.
inline bool startsSwitch(const std::string &token) {
  return !token.empty() && (token[0] == '+' || token[0] == '-');
}

}  // namespace qvb::convert
