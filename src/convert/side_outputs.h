// The converter's outputs other than the MTX file: the optimized body file
// (-O), the shell file of nodes and faces (-s) and the block dump (-d).
#pragma once

#include "convert/command_line.h"
#include "convert/conversion_context.h"

namespace qvb::convert {

// Edits and rescales the body, writes it to line.optimizedFile and ends the
// process. Returns (false) only when an interface-node edit names a node that
// is not an interface node.
bool writeOptimizedBody(ConversionContext &context, const CommandLine &line);

// Writes and closes the shell stream. False, after a message, when the body
// has no faces.
bool writeShellFile(QVB_Handle body, std::FILE *out);

// Writes one block (block >= 1) or every block to the dump stream.
void writeDump(QVB_Handle body, int block, std::FILE *out);

// Ends the process after shutting the library down.
[[noreturn]] void terminateAndExit(int status);

}  // namespace qvb::convert
