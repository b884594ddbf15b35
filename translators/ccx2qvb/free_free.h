// The free-free body's modes: the solver's eigen-solution, checked against
// the solver's own stiffness and mass before anything is built from it.
#pragma once

#include "modal_basis.h"
#include "model_preparation.h"
#include "solver_jobs.h"

namespace qvb::ccx2qvb {

// Reads the modes job's .eig strictly, checks it (eigen_check.h) and takes
// the Rayleigh quotients as eigenvalues; throws VerificationError when the
// solution fails a check.
ModalBasis freeFreeBasis(const PreparedModel &prepared, SolverJobs &jobs, Timing *timing);

}  // namespace qvb::ccx2qvb
