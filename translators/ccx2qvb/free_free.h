// The free-free body's modes: our own eigen-solution of the solver's
// stiffness and mass, checked against them before anything is built from it;
// the solver gives their stresses.
#pragma once

#include <string>
#include <vector>

#include "modal_basis.h"
#include "model_preparation.h"
#include "solver_jobs.h"

namespace qvb::ccx2qvb {

// Solves the model matrices by shift-invert Lanczos (shift_invert_lanczos.h),
// checks the modes (eigen_check.h), takes the Rayleigh quotients as
// eigenvalues and has the solver compute the modes' stresses (the stresses
// job); throws VerificationError when the modes cannot be found or fail a
// check. Solving ourselves costs less than the solver's eigen-solution
// (bench/README.md, ccx2qvb) and never returns its spurious pairs.
ModalBasis freeFreeBasis(const PreparedModel &prepared, SolverJobs &jobs, Timing *timing,
                         std::vector<std::string> *warnings);

}  // namespace qvb::ccx2qvb
