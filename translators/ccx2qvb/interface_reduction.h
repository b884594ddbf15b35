// The Craig-Bampton body's modes: the tied model's matrices, our own
// fixed-interface modes of its interior block (checked), the reduction, and
// the reduced basis checked again as a free body's; the solver gives the
// body modes' stresses.
#pragma once

#include <string>
#include <vector>

#include "modal_basis.h"
#include "model_preparation.h"
#include "solver_jobs.h"

namespace qvb::ccx2qvb {

// Throws VerificationError when the held modes or the reduced basis fail a
// check (eigen_check.h); ResultFileError for a result file that does not fit.
ModalBasis craigBamptonBasis(const PreparedModel &prepared, SolverJobs &jobs, Timing *timing);

}  // namespace qvb::ccx2qvb
