#include "script_bridge/writer_options_rewrite.h"

namespace qvb::coarsen {
namespace {

// Erases from the first occurrence of word up to and including the next
// ")"; false when the word is absent.
bool eraseOption(std::string &text, std::string_view word) {
  const std::size_t start = text.find(word);
  if (start == std::string::npos) return false;
  const std::size_t close = text.find(')', start);
  text.erase(start, close == std::string::npos ? std::string::npos : close - start + 1);
  return true;
}

}  // namespace

RewrittenWriterOptions rewriteWriterOptions(std::string_view options, std::string_view sketchName) {
  RewrittenWriterOptions result;
  result.options = std::string(options);
  eraseOption(result.options, "adv_coarsen");
  result.userSketchDropped = eraseOption(result.options, "sketch(");
  result.options.append(" sketch(").append(sketchName).append(")");
  return result;
}

}  // namespace qvb::coarsen
