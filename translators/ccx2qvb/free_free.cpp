#include "free_free.h"

#include "eig_file.h"
#include "eigen_check.h"
#include "modal_results.h"
#include "stage_timer.h"

namespace qvb::ccx2qvb {
namespace {

// Column-major n x m to row-major n x m (one row per equation, as the
// matrix products take it).
std::vector<double> equationMajor(const std::vector<double> &columns, size_t n, size_t m) {
  std::vector<double> rows(n * m);
  for (size_t j = 0; j < m; ++j)
    for (size_t e = 0; e < n; ++e) rows[e * m + j] = columns[j * n + e];
  return rows;
}

}  // namespace

ModalBasis freeFreeBasis(const PreparedModel &prepared, SolverJobs &jobs, Timing *timing) {
  const StoredMatrices &matrices = jobs.modelMatrices();
  const size_t n = matrices.dofs.size();
  EigenSolution eig;
  {
    StageTimer timer(&timing->parse);
    const EigenFileShape shape{static_cast<int64_t>(n), static_cast<int64_t>(offDiagonalCount(matrices.stiffness)),
                               jobs.modesAsked()};
    eig = readEigenSolution(jobs.file("modes.eig"), shape);
  }
  {
    StageTimer timer(&timing->verify);
    const size_t m = static_cast<size_t>(eig.modeCount);
    const BasisCheck check = checkBasis(matrices.stiffness, matrices.mass, equationMajor(eig.modes, n, m), m,
                                        prepared.rigidMotionsOn(matrices.dofs), true);
    requireFreeBodyBasis(check, "the solver's free-free modes");
    eig.eigenvalues = check.rayleigh;
  }
  ModalBasis basis;
  basis.shapes = freeModes(prepared.model, eig, matrices.dofs);
  const std::string frd = jobs.file("modes.frd");
  const FrdExpectation expected{eig.modeCount, prepared.elementNodes};
  basis.visitResults = [&prepared, frd, expected](const ModalResultSink &take) {
    readModalResults(frd, prepared.model, prepared.elementNode, expected, [&](FrdResult kind, int set, size_t node, const double *six) {
      take(kind, set, node, six);
    });
  };
  return basis;
}

}  // namespace qvb::ccx2qvb
