// Reading modal stresses and strains from the solver's result file (.frd).
//
// Nodal values per mode in blocks "-4  STRESS" (SXX SYY SZZ SXY SYZ SZX) and
// "-4  TOSTRAIN" (EXX EYY EZZ EXY EYZ EZX, tensor shears). Each block belongs
// to a result set: in a frequency step the mode of the "1PMODE" line before
// it, in a static step the step number, the last field of its "1PSTEP" line.
// Values are fixed-width E12.5 fields, so they are cut at their columns, not
// split on blanks.
#pragma once

#include <functional>
#include <string>

namespace qvb::ccx2qvb {

enum class FrdResult { Stress, Strain };

// Calls take(kind, set, node, values[6]) for every node of every stress and
// strain block, as stored (shear strains still tensor components); set is
// the mode or the static step (see above).
using FrdConsumer = std::function<void(FrdResult, int set, int node, const double *values)>;

// Returns the number of blocks read.
int readFrdResults(const std::string &path, const FrdConsumer &take);

}  // namespace qvb::ccx2qvb
