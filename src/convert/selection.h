// Choosing the nodes and modes that the matrices are written for.
#pragma once

#include "convert/command_line.h"
#include "convert/conversion_context.h"

namespace qvb::convert {

// Fill context.nodes (node indices) and context.modes (mode numbers) from
// the sorted -N/+N and -M/+M lists. False, after a message, when nothing
// would be left.
bool selectNodes(const CommandLine &line, ConversionContext &context);
bool selectModes(const CommandLine &line, ConversionContext &context);

}  // namespace qvb::convert
