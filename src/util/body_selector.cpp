#include "util/body_selector.h"

#include <cctype>
#include <climits>
#include <string>

namespace qvb::util {
namespace {

bool isDigits(const std::string &text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The value of a digit string, or -1 above INT_MAX.
long long indexValue(const std::string &digits) {
  long long value = 0;
  for (const char c : digits) {
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return -1;
  }
  return value;
}

bool endsWithMaster(const std::string &file) {
  static const std::string kExtension = ".master";
  if (file.size() < kExtension.size()) return false;
  const std::string::size_type start = file.size() - kExtension.size();
  for (std::string::size_type k = 0; k < kExtension.size(); ++k)
    if (std::tolower(static_cast<unsigned char>(file[start + k])) != kExtension[k]) return false;
  return true;
}

}  // namespace

bool parseBodySelection(const char *specification, SelectorGrammar grammar, BodySelection *selection,
                        std::string *error) {
  auto refuse = [&](const std::string &text, const std::string &cause) {
    if (error != nullptr) *error = text + ": " + cause;
    return false;
  };
  if (specification == nullptr) return refuse("(null)", "no file name given");
  std::string text = specification;
  const std::string::size_type end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);

  BodySelection result;
  const std::string::size_type marker = text.find("::");
  result.file = text.substr(0, marker);
  if (marker != std::string::npos) {
    const std::string selector = text.substr(marker + 2);
    if (grammar == SelectorGrammar::kFromExtension)
      grammar = endsWithMaster(result.file) ? SelectorGrammar::kIndexOrName : SelectorGrammar::kBodyIndex;
    if (selector.empty()) return refuse(text, "no body selector after \"::\"");
    if (isDigits(selector)) {
      const long long value = indexValue(selector);
      if (value < 0) return refuse(text, "body number " + selector + " is too large");
      if (value == 0) return refuse(text, "there is no body 0 (bodies are numbered from 1)");
      result.index = static_cast<int>(value);
    } else if (grammar == SelectorGrammar::kBodyIndex) {
      return refuse(text, "body selector \"" + selector + "\" is not a body number (digits only, from 1)");
    } else if (selector != "*") {
      result.name = selector;
    }
  }
  if (selection != nullptr) *selection = std::move(result);
  return true;
}

bool combineBodyNumbers(const char *specification, int selectorIndex, int callerIndex, int *number,
                        std::string *error) {
  if (selectorIndex > 0 && callerIndex > 0 && selectorIndex != callerIndex) {
    if (error != nullptr)
      *error = std::string(specification != nullptr ? specification : "(null)") + ": the selector names body " +
               std::to_string(selectorIndex) + " but body " + std::to_string(callerIndex) + " was asked for";
    return false;
  }
  *number = selectorIndex > 0 ? selectorIndex : callerIndex > 0 ? callerIndex : 1;
  return true;
}

}  // namespace qvb::util
