#include "free_free.h"

#include "eig_file.h"
#include "eigen_check.h"
#include "errors.h"
#include "modal_results.h"
#include "shift_invert_lanczos.h"
#include "stage_timer.h"

namespace qvb::ccx2qvb {
namespace {

// The solver's eigen-solution of the modes job, read strictly.
EigenSolution solversModes(const StoredMatrices &matrices, SolverJobs &jobs) {
  const EigenFileShape shape{static_cast<int64_t>(matrices.dofs.size()), static_cast<int64_t>(matrices.offDiagonals),
                             jobs.modesAsked()};
  return readEigenSolution(jobs.file("modes.eig"), shape);
}

BasisCheck checkFreeModes(const PreparedModel &prepared, const StoredMatrices &matrices,
                          const std::vector<double> &rows, size_t m, const char *what) {
  const BasisCheck check =
      checkBasis(matrices.stiffness, matrices.mass, rows, m, prepared.rigidMotionsOn(matrices.dofs), true);
  requireFreeBodyBasis(check, what);
  return check;
}

// Our own solution of the same matrices; when even that cannot start, the
// model has a motion without stiffness and without mass (the shifted
// matrix is singular), which no solver can turn into modes.
LanczosSolution solveOurselves(const StoredMatrices &matrices, size_t m, const std::string &solversFailure) {
  try {
    return lowestEigenpairs(matrices.stiffness, matrices.mass, static_cast<int>(m));
  } catch (const TranslationError &e) {
    throw VerificationError(solversFailure + "; nor could our own solver solve the model: " + e.what() +
                            ". The stiffness and the mass matrix are singular along the same motions: a mechanism "
                            "that carries no mass (reduced-integration elements one element thick have such modes)");
  }
}

}  // namespace

ModalBasis freeFreeBasis(const PreparedModel &prepared, SolverJobs &jobs, Timing *timing,
                         std::vector<std::string> *warnings) {
  const StoredMatrices &matrices = jobs.modelMatrices();
  const size_t n = matrices.dofs.size(), m = static_cast<size_t>(jobs.modesAsked());
  EigenSolution eig;
  {
    StageTimer timer(&timing->parse);
    eig = solversModes(matrices, jobs);
  }
  std::string results = "modes";  // the job whose .frd holds the modes' stresses
  try {
    StageTimer timer(&timing->verify);
    eig.eigenvalues =
        checkFreeModes(prepared, matrices, transposed(eig.modes, m, n), m, "the solver's free-free modes").rayleigh;
  } catch (const VerificationError &e) {
    // Right, or not written: our own solution of the same matrices, held to
    // the same checks, and the stresses of its modes from the solver.
    StageTimer timer(&timing->verify);
    const LanczosSolution own = solveOurselves(matrices, m, e.what());
    warnings->push_back(std::string(e.what()) + "; the modes were solved again by our own Lanczos solver");
    eig.eigenvalues = checkFreeModes(prepared, matrices, own.modes, m, "our own free-free modes").rayleigh;
    eig.modes = transposed(own.modes, n, m);
    jobs.runPrescribed("stresses", matrices.dofs, own.modes, static_cast<int>(m));
    results = "stresses";
  }
  ModalBasis basis;
  basis.shapes = freeModes(prepared.model, eig, matrices.dofs);
  completeConstrainedNodes(prepared.model, &basis.shapes);
  const std::string frd = jobs.file(results + ".frd");
  const FrdExpectation expected{eig.modeCount, prepared.elementNodes};
  basis.visitResults = [&prepared, frd, expected](const ModalResultSink &take) {
    readModalResults(frd, prepared.model, prepared.elementNode, expected, take);
  };
  return basis;
}

}  // namespace qvb::ccx2qvb
