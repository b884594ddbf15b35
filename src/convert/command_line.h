// Reading the converter's switches into the conversion context and the
// options that live for one call only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "convert/conversion_context.h"

namespace qvb::convert {

struct CommandLine {
  std::vector<int> dropNodes, keepNodes;  // -N, +N (node IDs)
  std::vector<int> dropModes, keepModes;  // -M, +M (mode numbers)
  bool interfaceEditsGiven = false;       // any -I
  std::vector<InterfaceNodeEdit> interfaceEdits;
  bool optimize = false;                    // -O
  std::string optimizedFile;
  bool dump = false;                        // -d
  std::unique_ptr<platform::OutputFile> dumpFile;  // null for standard output
  int dumpBlock = 0;                       // -b
  bool outputGiven = false;                // -o
  bool exitAfterShell = true;             // cleared by -o and -d
};

// The shell file opened by -s: process-wide until it has been written.
std::unique_ptr<platform::OutputFile> &shellStream();

// Reads every switch from tokens[first] on; the list grows when a selection
// file is read. Prints the failing switch's message and returns false on
// the first error.
bool readSwitches(std::vector<std::string> &tokens, size_t first, ConversionContext &context,
                  CommandLine &line);

}  // namespace qvb::convert
