#include "script_bridge/coarsening_options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qvb::coarsen {
namespace {

constexpr std::string_view kOption = "adv_coarsen(";
// The writer's plain coarsening option; "adv_coarsen(" contains it too.
constexpr std::string_view kPlainOption = "coarsen(";
constexpr std::string_view kSeparators = " \t,";

ParsedCoarseningOptions failure(std::string message) {
  ParsedCoarseningOptions result;
  result.error = std::move(message);
  return result;
}

ParsedCoarseningOptions illegal(std::string_view token) {
  return failure("Illegal parameter for advanced coarsening (" + std::string(token) + ").");
}

std::vector<std::string> splitTokens(std::string_view list) {
  std::vector<std::string> tokens;
  std::size_t start = list.find_first_not_of(kSeparators);
  while (start != std::string_view::npos) {
    const std::size_t end = list.find_first_of(kSeparators, start);
    tokens.emplace_back(list.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    start = end == std::string_view::npos ? end : list.find_first_not_of(kSeparators, end);
  }
  return tokens;
}

// The level keywords are matched against the start of the token, ignoring
// case, so "Aggressively" and "LIGHT" both count; "std" does not.
bool levelFromToken(const std::string &token, int *levelCode) {
  static const struct {
    std::string_view keyword;
    int code;
  } kLevels[] = {{"aggressive", 1}, {"standard", 0}, {"light", -1}};
  const auto sameLetter = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  for (const auto &level : kLevels) {
    if (token.size() >= level.keyword.size() &&
        std::equal(level.keyword.begin(), level.keyword.end(), token.begin(), sameLetter)) {
      *levelCode = level.code;
      return true;
    }
  }
  return false;
}

bool wholeReal(const std::string &token, double *value) {
  char *end = nullptr;
  *value = std::strtod(token.c_str(), &end);
  return !token.empty() && end == token.c_str() + token.size();
}

// A token made entirely of a decimal integer. Overflow still makes it an
// integer (just not a usable node number), reported through *inRange.
bool wholeInteger(const std::string &token, long *value, bool *inRange) {
  char *end = nullptr;
  errno = 0;
  *value = std::strtol(token.c_str(), &end, 10);
  *inRange = errno != ERANGE;
  return !token.empty() && end == token.c_str() + token.size();
}

std::string formatFixed(double value) {
  const int length = std::snprintf(nullptr, 0, "%f", value);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, "%f", value);
  return text;
}

// Where the extension of a file name starts, or npos: the last "." that
// comes after the last directory separator of either kind.
std::size_t extensionStart(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return dot;
  const std::size_t separator = name.find_last_of("/\\");
  return separator == std::string_view::npos || dot > separator ? dot : std::string_view::npos;
}

}  // namespace

std::string sketchFileName(std::string_view givenName, std::string_view bodyFile) {
  std::string name(givenName);
  if (name.empty()) {
    name = std::string(bodyFile.substr(0, extensionStart(bodyFile)));
  }
  if (extensionStart(name) == std::string::npos) name += ".ske";
  return name;
}

ParsedCoarseningOptions parseCoarseningOptions(std::string_view options, std::string_view bodyFile) {
  // Both coarsening options at once cannot be honoured. Any "coarsen(" other
  // than the one inside the first "adv_coarsen(" is the plain option or a
  // second advanced one.
  const std::size_t option = options.find(kOption);
  const std::size_t ownPlain = option == std::string_view::npos ? option : option + 4;
  for (std::size_t at = options.find(kPlainOption); at != std::string_view::npos;
       at = options.find(kPlainOption, at + 1)) {
    if (at != ownPlain) {
      return failure(
          "adv_coarsen and coarsen are both specified in TRX_QVBWRITE_OPTIONS\n"
          "but are mutually exclusive. Please remove one.");
    }
  }

  // The parameter list runs to the first ")" (or to the end of the text
  // when the option is not closed).
  std::string_view list;
  if (option != std::string_view::npos) {
    const std::size_t begin = option + kOption.size();
    const std::size_t close = options.find(')', begin);
    list = options.substr(begin, close == std::string_view::npos ? close : close - begin);
  }
  if (list.empty()) {
    return failure("Cannot read advanced coarsening paramaters (" + std::string(options) + ").");
  }

  const std::vector<std::string> tokens = splitTokens(list);
  ParsedCoarseningOptions result;
  CoarseningRequest &request = result.request;
  // Level and value are both required. A list that lacks either is named
  // whole, since there is no single offending token to point at.
  if (tokens.empty()) return illegal(list);
  if (!levelFromToken(tokens[0], &request.levelCode)) return illegal(tokens[0]);
  if (tokens.size() < 2) return illegal(list);

  double value = 0.0;
  if (!wholeReal(tokens[1], &value)) return illegal(tokens[1]);
  request.valueFlag = value != 0.0 || std::isnan(value) ? 1 : 0;
  request.valueText = formatFixed(value);

  std::string givenName;
  for (std::size_t i = 2; i < tokens.size(); ++i) {
    const std::string &token = tokens[i];
    long number = 0;
    bool inRange = false;
    if (wholeInteger(token, &number, &inRange)) {
      // Node numbers are ints everywhere else in the interface.
      if (!inRange || number <= 0 || number > INT_MAX) return illegal(token);
      request.nodeNumbers.push_back(number);
    } else {
      // The sketch name belongs before the node numbers.
      if (!request.nodeNumbers.empty()) return illegal(token);
      givenName = token;
    }
  }
  request.sketchName = sketchFileName(givenName, bodyFile);
  result.ok = true;
  return result;
}

}  // namespace qvb::coarsen
