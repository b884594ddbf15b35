// Where the benchmark swaps the converter's two fast kernels for the
// straightforward ones. bench/ links a second copy of libqvb whose
// number_format.cpp and gram_invariants.cpp are compiled with
// QVB_REFERENCE_KERNELS: formatScientific then asks snprintf for each number
// and computeInvariants5And9Streamed goes pair of modes by pair of modes, so
// whole conversions can be timed against the same conversion done the plain
// way. The functions below are defined in bench/reference_converter_kernels.cpp
// and only called under the switch. The library itself is never built with
// it; nothing selects it at run time.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "kernels/gram_invariants.h"

namespace qvb::kernels::reference {

// snprintf("%*.*E") into out (not NUL-terminated); returns the length.
size_t formatScientific(char *out, double value, int width, int precision);

// computeInvariants5And9Streamed's contract, pair by pair: for each mode j,
// then each k >= j, both shapes are fetched and summed over the nodes.
bool invariants5And9(const std::vector<double> &masses, int modeCount, const ModeShapeFetcher &fetch,
                     std::vector<double> &i5, std::vector<double> &i9, const std::function<void(int)> &onMode);

}  // namespace qvb::kernels::reference
