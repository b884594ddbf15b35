// The writer options: what TRX_QVBWRITE_OPTIONS asks of every body write.
//
// The text is a list of options separated by blanks or commas, each a name
// with an optional parenthesised argument list:
//   sketch(coarse.ske)          store the body reduced to the sketch
//   coarsen(standard, 0.02)     coarsen the surface here, then store
// adv_coarsen(...) belongs to the converter, which runs the interpreter and
// turns it into sketch(...) before the write. Parsing is a pure function of
// the text, so that it can be checked without a body or a file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvb::coarsening {

// Level codes, as the coarsening script numbers them.
enum Level { kLight = -1, kStandard = 0, kAggressive = 1 };

struct WriterOptions {
  std::string sketchFile;  // sketch(FILE); empty when not asked for
  bool coarsen = false;    // coarsen(LEVEL[, VALUE])
  int level = kStandard;
  double value = 0.0;      // cell edge length; 0: the level sets the share kept
  // Options the writer does not know or does not run, as they were written.
  std::vector<std::string> ignored;
  // Not empty: the options contradict each other or cannot be read, and the
  // write must fail with this text.
  std::string error;
};

WriterOptions parseWriterOptions(std::string_view text);

}  // namespace qvb::coarsening
