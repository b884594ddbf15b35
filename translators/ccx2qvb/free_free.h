// The free-free body's modes: the solver's eigen-solution, checked against
// the solver's own stiffness and mass before anything is built from it.
#pragma once

#include <string>
#include <vector>

#include "modal_basis.h"
#include "model_preparation.h"
#include "solver_jobs.h"

namespace qvb::ccx2qvb {

// Reads the modes job's .eig strictly, checks it (eigen_check.h) and takes
// the Rayleigh quotients as eigenvalues. When the solver's solution fails a
// check, solves the same matrices with our own Lanczos solver (with a
// warning naming the failed check) and has the solver compute the stresses
// of those modes; throws VerificationError when that fails its checks too.
ModalBasis freeFreeBasis(const PreparedModel &prepared, SolverJobs &jobs, Timing *timing,
                         std::vector<std::string> *warnings);

}  // namespace qvb::ccx2qvb
