// The writer options after an advanced coarsening: the write that follows
// must use the sketch the script made and must not coarsen again.
#pragma once

#include <string>
#include <string_view>

namespace qvb::coarsen {

struct RewrittenWriterOptions {
  std::string options;
  // A "sketch(...)" of the user's was dropped in favour of the new one.
  bool userSketchDropped = false;
};

// Removes the first "adv_coarsen...)" and the first "sketch(...)" (each to
// the end of the text when unclosed) and appends " sketch(<sketchName>)".
RewrittenWriterOptions rewriteWriterOptions(std::string_view options, std::string_view sketchName);

}  // namespace qvb::coarsen
