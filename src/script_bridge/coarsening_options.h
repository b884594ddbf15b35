// Reading the advanced coarsening option out of the writer options.
//
// The writer options are one free-form text (the TRX_QVBWRITE_OPTIONS
// variable). The part that matters here looks like
//   adv_coarsen(standard, 2.5, mysketch, 101, 102)
// : a level keyword, a coarsening value, an optional sketch file name and
// node numbers the coarsening must keep. Parsing is a pure function of the
// two texts so that it can be checked (and fuzzed) without a body or an
// interpreter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvb::coarsen {

// What the coarsening script is asked to do.
struct CoarseningRequest {
  int levelCode = 0;                // -1 light, 0 standard, 1 aggressive
  int valueFlag = 0;                // 1 when the value is not 0 (NaN counts as not 0)
  std::string valueText;            // the value printed with "%f"
  std::vector<long> nodeNumbers;    // in the order given, repetitions kept
  std::string sketchName;           // the file the script is to write
};

// Either a request or the complete message that explains why there is none.
struct ParsedCoarseningOptions {
  bool ok = false;
  std::string error;
  CoarseningRequest request;
};

// Parses the first "adv_coarsen(...)" of the options. bodyFile is the body
// file name the caller passed; it gives the default sketch name. Never
// throws anything but std::bad_alloc.
ParsedCoarseningOptions parseCoarseningOptions(std::string_view options, std::string_view bodyFile);

// The sketch file name: the given name, or without one the body file name
// less its extension; then ".ske" when the result has no extension. A dot
// inside a directory name ("run.d/model") is not an extension.
std::string sketchFileName(std::string_view givenName, std::string_view bodyFile);

}  // namespace qvb::coarsen
