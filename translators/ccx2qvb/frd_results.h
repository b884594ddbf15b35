// Reading modal stresses and strains from the solver's result file (.frd).
//
// Nodal values per mode in blocks "-4  STRESS" (SXX SYY SZZ SXY SYZ SZX) and
// "-4  TOSTRAIN" (EXX EYY EZZ EXY EYZ EZX, tensor shears); the mode number
// comes from the "1PMODE" line before each block. Values are fixed-width
// E12.5 fields, so they are cut at their columns, not split on blanks.
#pragma once

#include <functional>
#include <string>

namespace ccx2qvb {

enum class FrdResult { Stress, Strain };

// Calls take(kind, mode, node, values[6]) for every node of every stress and
// strain block, as stored (shear strains still tensor components).
using FrdConsumer = std::function<void(FrdResult, int mode, int node, const double *values)>;

// Returns the number of blocks read.
int readFrdResults(const std::string &path, const FrdConsumer &take);

}  // namespace ccx2qvb
