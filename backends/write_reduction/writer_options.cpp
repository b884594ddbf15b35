#include "writer_options.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <strings.h>

namespace qvb::coarsening {
namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\n' || c == '\r'; }
bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::vector<std::string> splitArguments(std::string_view list) {
  std::vector<std::string> tokens;
  size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && isSeparator(list[i])) ++i;
    size_t start = i;
    while (i < list.size() && !isSeparator(list[i])) ++i;
    if (i > start) tokens.emplace_back(list.substr(start, i - start));
  }
  return tokens;
}

// The same words as adv_coarsen: the token has to begin with the whole
// keyword, in any case ("Lightly" is light, "std" is nothing).
bool readLevel(const std::string &token, int *level) {
  static const struct {
    const char *word;
    int code;
  } kLevels[] = {{"aggressive", kAggressive}, {"standard", kStandard}, {"light", kLight}};
  for (const auto &candidate : kLevels)
    if (strncasecmp(token.c_str(), candidate.word, std::char_traits<char>::length(candidate.word)) == 0) {
      *level = candidate.code;
      return true;
    }
  return false;
}

// A cell edge length: a whole real number, finite and not negative. A
// refused token leaves *value as it was (an earlier coarsen() may hold it).
bool readValue(const std::string &token, double *value) {
  char *end = nullptr;
  const double candidate = std::strtod(token.c_str(), &end);
  if (end == token.c_str() || *end != '\0' || !std::isfinite(candidate) || candidate < 0.0) return false;
  *value = candidate;
  return true;
}

void readCoarsen(std::string_view arguments, WriterOptions *options) {
  const std::vector<std::string> tokens = splitArguments(arguments);
  if (tokens.empty() || tokens.size() > 2) {
    options->error = "coarsen(" + std::string(arguments) + ") takes a level and an optional cell size";
    return;
  }
  if (!readLevel(tokens[0], &options->level)) {
    options->error = "coarsen: unknown level " + tokens[0] + " (light, standard or aggressive)";
    return;
  }
  if (tokens.size() == 2 && !readValue(tokens[1], &options->value)) {
    options->error = "coarsen: the cell size " + tokens[1] + " is not a length of 0 or more";
    return;
  }
  options->coarsen = true;
}

void readSketch(std::string_view arguments, WriterOptions *options) {
  size_t first = 0, last = arguments.size();
  while (first < last && std::isspace(static_cast<unsigned char>(arguments[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(arguments[last - 1]))) --last;
  if (first == last) {
    options->error = "sketch() names no sketch file";
    return;
  }
  options->sketchFile = std::string(arguments.substr(first, last - first));
}

}  // namespace

WriterOptions parseWriterOptions(std::string_view text) {
  WriterOptions options;
  int sketches = 0, coarsenings = 0, advanced = 0;
  size_t i = 0;
  while (i < text.size() && options.error.empty()) {
    while (i < text.size() && isSeparator(text[i])) ++i;
    if (i == text.size()) break;
    const size_t start = i;
    while (i < text.size() && isNameCharacter(text[i])) ++i;
    const std::string_view name = text.substr(start, i - start);
    if (name.empty() || i == text.size() || text[i] != '(') {
      // A bare word, or something that is not an option at all.
      while (i < text.size() && !isSeparator(text[i])) ++i;
      options.ignored.emplace_back(text.substr(start, i - start));
      continue;
    }
    const size_t close = text.find(')', i);
    if (close == std::string_view::npos) {
      options.error = "the option " + std::string(text.substr(start)) + " has no closing parenthesis";
      break;
    }
    const std::string_view arguments = text.substr(i + 1, close - i - 1);
    i = close + 1;
    if (name == "sketch") {
      ++sketches;
      readSketch(arguments, &options);
    } else if (name == "coarsen") {
      ++coarsenings;
      readCoarsen(arguments, &options);
    } else {
      // adv_coarsen(...) lands here too: the converter runs it before the
      // write; a writer reached without that step cannot run it.
      if (name == "adv_coarsen") ++advanced;
      options.ignored.emplace_back(text.substr(start, i - start));
    }
  }
  if (!options.error.empty()) return options;
  if (advanced > 0 && coarsenings > 0)
    options.error =
        "adv_coarsen and coarsen are both specified in TRX_QVBWRITE_OPTIONS\nbut are mutually exclusive. "
        "Please remove one.";
  else if (sketches > 1 || coarsenings > 1)
    options.error = sketches > 1 ? "sketch(...) is given more than once" : "coarsen(...) is given more than once";
  else if (sketches > 0 && coarsenings > 0)
    options.error = "sketch(...) and coarsen(...) both choose the nodes to keep; give one of them";
  return options;
}

}  // namespace qvb::coarsening
