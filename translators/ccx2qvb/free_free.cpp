#include "free_free.h"

#include "eig_file.h"
#include "eigen_check.h"
#include "errors.h"
#include "modal_results.h"
#include "shift_invert_lanczos.h"
#include "stage_timer.h"

namespace qvb::ccx2qvb {
namespace {

// Our own solution of the model's matrices; when it cannot even start, the
// model has a motion without stiffness and without mass (the shifted
// matrix is singular), which no solver can turn into modes.
LanczosSolution solveModes(const StoredMatrices &matrices, size_t m) {
  try {
    return lowestEigenpairs(matrices.stiffness, matrices.mass, static_cast<int>(m));
  } catch (const TranslationError &e) {
    throw VerificationError(std::string("the free-free modes could not be found: ") + e.what() +
                            ". The stiffness and the mass matrix are singular along the same motions: a mechanism "
                            "that carries no mass (reduced-integration elements one element thick have such modes)");
  }
}

}  // namespace

ModalBasis freeFreeBasis(const PreparedModel &prepared, SolverJobs &jobs, Timing *timing, std::vector<std::string> *) {
  const StoredMatrices &matrices = jobs.modelMatrices();
  const size_t n = matrices.dofs.size(), m = static_cast<size_t>(jobs.modesAsked());
  LanczosSolution own;
  {
    StageTimer timer(&timing->eigen);
    own = solveModes(matrices, m);
  }
  EigenSolution eig;
  eig.equations = static_cast<int64_t>(n);
  eig.modeCount = static_cast<int>(m);
  {
    StageTimer timer(&timing->verify);
    const BasisCheck check =
        checkBasis(matrices.stiffness, matrices.mass, own.modes, m, prepared.rigidMotionsOn(matrices.dofs), true);
    requireFreeBodyBasis(check, "the free-free modes");
    eig.eigenvalues = check.rayleigh;
  }
  // The solver turns the checked modes into stresses and strains.
  std::vector<PrescribedPart> stresses = jobs.runPrescribed("stresses", matrices.dofs, own.modes, static_cast<int>(m));
  eig.modes = transposed(own.modes, n, m);
  own.modes.clear();
  ModalBasis basis;
  basis.shapes = freeModes(prepared.model, eig, matrices.dofs);
  completeConstrainedNodes(prepared.model, &basis.shapes);
  basis.visitResults = prescribedResults(prepared, std::move(stresses));
  return basis;
}

}  // namespace qvb::ccx2qvb
