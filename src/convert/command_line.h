// Reading the converter's switches into the conversion context and the
// options that live for one call only.
#pragma once

#include <string>
#include <vector>

#include "convert/conversion_context.h"

namespace qvb::convert {

struct CommandLine {
  std::vector<int> drop_nodes, keep_nodes;  // -N, +N (node IDs)
  std::vector<int> drop_modes, keep_modes;  // -M, +M (mode numbers)
  bool interface_edits_given = false;       // any -I
  std::vector<InterfaceNodeEdit> interface_edits;
  bool optimize = false;                    // -O
  std::string optimized_file;
  bool dump = false;                        // -d
  FilePtr dump_stream;
  int dump_block = 0;                       // -b
  bool output_given = false;                // -o
  bool exit_after_shell = true;             // cleared by -o and -d
};

// The shell file opened by -s: process-wide until it has been written.
FilePtr &ShellStream();

// Reads every switch from tokens[first] on; the list grows when a selection
// file is read. Prints the failing switch's message and returns false on
// the first error.
bool ReadSwitches(std::vector<std::string> &tokens, size_t first, ConversionContext &context,
                  CommandLine &line);

}  // namespace qvb::convert
