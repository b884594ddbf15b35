// Reading modal stresses and strains from the solver's result file (.frd).
//
// Nodal values per mode in blocks "-4  STRESS" (SXX SYY SZZ SXY SYZ SZX) and
// "-4  TOSTRAIN" (EXX EYY EZZ EXY EYZ EZX, tensor shears). Each block belongs
// to a result set: in a frequency step the mode of the "1PMODE" line before
// it, in a static step the step number, the last field of its "1PSTEP" line.
// Values are fixed-width E12.5 fields, so they are cut at their columns, not
// split on blanks. The file must end with its end record (9999): a file the
// solver did not finish is refused, and so is one that lacks a block the job
// asked for or a node in a block.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace qvb::ccx2qvb {

enum class FrdResult { kStress, kStrain };

// Calls take(kind, set, node, values[6]) for every node of every stress and
// strain block, as stored (shear strains still tensor components); set is
// the mode or the static step (see above). take returns whether the node is
// one of those the job must give values for (see FrdExpectation).
using FrdConsumer = std::function<bool(FrdResult, int set, int node, const double *values)>;

// What the job must have written: result sets 1..sets, each with a stress
// and a strain block holding `nodes` values that take() accepts.
struct FrdExpectation {
  int sets = 0;
  std::size_t nodes = 0;
};

// Reads the file; throws ResultFileError naming it when it is cut, garbled
// or lacks what `expected` names.
void readFrdResults(const std::string &path, const FrdExpectation &expected, const FrdConsumer &take);

}  // namespace qvb::ccx2qvb
