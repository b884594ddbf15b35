#include "interface_reduction.h"

#include <memory>
#include <unordered_map>

#include "craig_bampton.h"
#include "eig_file.h"
#include "eigen_check.h"
#include "errors.h"
#include "modal_results.h"
#include "stage_timer.h"

namespace qvb::ccx2qvb {
namespace {

// The interface equations' positions among the tied model's equations.
std::vector<size_t> boundaryEquations(const std::vector<Interface> &interfaces, const std::vector<Dof> &dofs) {
  std::unordered_map<int64_t, size_t> equation;
  for (size_t p = 0; p < dofs.size(); ++p) equation[static_cast<int64_t>(dofs[p].node) * 4 + dofs[p].direction] = p;
  std::vector<size_t> boundary;
  for (const Dof &d : interfaceEquations(interfaces)) {
    auto it = equation.find(static_cast<int64_t>(d.node) * 4 + d.direction);
    if (it == equation.end())
      throw ResultFileError("the tied model has no equation for node " + std::to_string(d.node) + " direction " +
                            std::to_string(d.direction) + " of an interface");
    boundary.push_back(it->second);
  }
  return boundary;
}

// The block of A on the equations not in the boundary, renumbered in order.
SymmetricTriplets interiorBlock(const SymmetricTriplets &A, const std::vector<long> &interiorIndex, size_t count) {
  SymmetricTriplets block;
  block.order = count;
  for (size_t k = 0; k < A.value.size(); ++k) {
    const long r = interiorIndex[A.row[k]], c = interiorIndex[A.col[k]];
    if (r < 0 || c < 0) continue;
    block.row.push_back(static_cast<size_t>(r));
    block.col.push_back(static_cast<size_t>(c));
    block.value.push_back(A.value[k]);
  }
  return block;
}

// The held run's modes: eigenvectors of the interior block of the tied
// matrices, read strictly (their count and size follow from that block) and
// checked against it.
FixedInterfaceModes heldModes(const StoredMatrices &tied, const std::vector<size_t> &boundary, SolverJobs &jobs,
                              Timing *timing) {
  std::vector<long> interiorIndex(tied.dofs.size(), 0);
  for (size_t b : boundary) interiorIndex[b] = -1;
  size_t interior = 0;
  for (long &index : interiorIndex)
    if (index >= 0) index = static_cast<long>(interior++);
  const SymmetricTriplets K = interiorBlock(tied.stiffness, interiorIndex, interior);
  const SymmetricTriplets M = interiorBlock(tied.mass, interiorIndex, interior);
  EigenSolution held;
  {
    StageTimer timer(&timing->parse);
    held = readEigenSolution(jobs.file("modes.eig"), {static_cast<int64_t>(interior),
                                                      static_cast<int64_t>(offDiagonalCount(K)), jobs.modesAsked()});
  }
  StageTimer timer(&timing->verify);
  const size_t m = static_cast<size_t>(held.modeCount);
  const BasisCheck check = checkBasis(K, M, transposed(held.modes, m, interior), m, {}, true);
  requireHeldBasis(check, "the solver's fixed-interface modes");
  return FixedInterfaceModes{check.rayleigh, held.modes};
}

}  // namespace

ModalBasis craigBamptonBasis(const PreparedModel &prepared, SolverJobs &jobs, Timing *timing) {
  const StoredMatrices &tied = jobs.modelMatrices();
  const std::vector<size_t> boundary = boundaryEquations(prepared.interfaces, tied.dofs);
  const FixedInterfaceModes fixed = heldModes(tied, boundary, jobs, timing);
  auto reduced = std::make_shared<CraigBamptonBasis>();
  {
    StageTimer timer(&timing->reduction);
    *reduced = craigBampton(tied.stiffness, tied.mass, boundary, fixed);
  }
  {
    StageTimer timer(&timing->verify);
    const size_t m = reduced->lambda.size();
    const BasisCheck check = checkBasis(tied.stiffness, tied.mass, transposed(reduced->modes, m, reduced->order), m,
                                        prepared.rigidMotionsOn(tied.dofs), false);
    requireFreeBodyBasis(check, "the reduced Craig-Bampton modes");
    reduced->lambda = check.rayleigh;
  }
  // The constraint modes' stresses: their displacements are known to full
  // precision, so the solver only turns them into stresses.
  jobs.runPrescribed("constraint", tied.dofs, reduced->constraintModes, static_cast<int>(boundary.size()));
  ModalBasis basis;
  basis.shapes = interfaceModes(prepared.model, prepared.interfaces, tied.dofs, *reduced);
  completeConstrainedNodes(prepared.model, &basis.shapes);
  // Each body mode combines the constraint modes (the static steps of the
  // constraint job) and the held modes as it combines their displacements,
  // and so their stresses: result set s of a file is basis vector first + s.
  const size_t boundaryCount = boundary.size();
  basis.visitResults = [&prepared, &jobs, reduced, boundaryCount](const ModalResultSink &take) {
    const int m = static_cast<int>(reduced->lambda.size());
    ModalResults results(m, prepared.model.nodeIds.size());
    auto readBasis = [&](const char *file, size_t first, int sets) {
      readModalResults(jobs.file(file), prepared.model, prepared.elementNode, {sets, prepared.elementNodes},
                       [&](FrdResult kind, int set, size_t node, const double *six) {
                         const size_t k = first + static_cast<size_t>(set);
                         for (int c = 0; c < m; ++c) {
                           const double weight = reduced->coefficients[k + static_cast<size_t>(c) * m];
                           double *out = results.at(kind, c, node);
                           for (int q = 0; q < 6; ++q) out[q] += weight * six[q];
                         }
                       });
    };
    readBasis("constraint.frd", 0, static_cast<int>(boundaryCount));
    readBasis("modes.frd", boundaryCount, m - static_cast<int>(boundaryCount));
    for (int j = 0; j < m; ++j)
      for (size_t a = 0; a < results.nodes; ++a)
        if (prepared.elementNode[a])
          for (FrdResult kind : {FrdResult::kStress, FrdResult::kStrain}) take(kind, j, a, results.at(kind, j, a));
  };
  return basis;
}

}  // namespace qvb::ccx2qvb
