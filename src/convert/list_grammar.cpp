#include "convert/list_grammar.h"

#include <algorithm>
#include <cstdlib>

#include "convert/arg_tokens.h"

namespace qvb::convert {

namespace {

bool appendRange(long long first, long long last, std::vector<int> &values) {
  if (last < first) return true;
  if (last - first >= kMaxListLength - static_cast<long long>(values.size())) return false;
  for (long long v = first; v <= last; ++v) values.push_back(static_cast<int>(v));
  return true;
}

// The token after a colon form supplies the range end; it must exist and
// must not start a switch.
bool takeRangeEnd(const std::vector<std::string> &tokens, size_t &pos, int &end) {
  if (pos >= tokens.size() || startsSwitch(tokens[pos])) return false;
  end = std::atoi(tokens[pos++].c_str());
  return true;
}

}  // namespace

bool readIntegerList(const std::vector<std::string> &tokens, size_t &pos, RangeColon colon,
                     std::vector<int> &values) {
  while (pos < tokens.size() && !startsSwitch(tokens[pos])) {
    const std::string &token = tokens[pos++];
    if (token == ":") {
      int end = 0;
      if (values.empty() || !takeRangeEnd(tokens, pos, end)) return false;
      if (!appendRange(values.back(), end, values)) return false;
      continue;
    }
    const size_t split = colon == RangeColon::kFirst ? token.find(':') : token.rfind(':');
    if (split == std::string::npos) {
      if (values.size() >= static_cast<size_t>(kMaxListLength)) return false;
      values.push_back(std::atoi(token.c_str()));
      continue;
    }
    const std::string firstText = token.substr(0, split);
    const std::string lastText = token.substr(split + 1);
    int first = 0;
    if (firstText.empty()) {
      if (values.empty()) return false;
      first = values.back();
    } else {
      first = std::atoi(firstText.c_str());
    }
    int last = 0;
    if (lastText.empty()) {
      if (!takeRangeEnd(tokens, pos, last)) return false;
    } else {
      last = std::atoi(lastText.c_str());
    }
    if (!appendRange(first, last, values)) return false;
  }
  return true;
}

void sortUnique(std::vector<int> &values) {
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
}

}  // namespace qvb::convert
