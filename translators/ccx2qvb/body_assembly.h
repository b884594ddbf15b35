// The last stages: the body's mass properties from the mesh's mass matrix,
// and the body itself, written whole or not at all.
#pragma once

#include "mass_properties.h"
#include "modal_basis.h"
#include "model_preparation.h"
#include "solver_jobs.h"
#include "translate.h"

namespace qvb::ccx2qvb {

// Mass, centre, inertia and the invariants. The modes are checked once more
// here, at the model's nodes against the mesh's own mass matrix: shapes
// rebuilt at constrained nodes must stay orthonormal (VerificationError
// otherwise).
MassProperties bodyMassProperties(const PreparedModel &prepared, SolverJobs &jobs, const ModalBasis &basis);

// Fills and writes the body file (options.output); throws TranslationError.
void writeBody(const PreparedModel &prepared, const Options &options, const ModalBasis &basis,
               const MassProperties &properties, Timing *timing);

}  // namespace qvb::ccx2qvb
