#include "interface_reduction.h"

#include <memory>
#include <unordered_map>

#include "craig_bampton.h"
#include "eigen_check.h"
#include "errors.h"
#include "modal_results.h"
#include "shift_invert_lanczos.h"
#include "sparse_cholesky.h"
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

// The model held at its interfaces: the interior block of the tied
// matrices, and K_ii's factor. K_ii is positive definite once the interfaces
// hold the model, so the factor needs no shift; it gives both the
// fixed-interface modes and the constraint modes.
struct HeldModel {
  SymmetricTriplets stiffness, mass;
  std::unique_ptr<SparseCholesky> factor;
};

HeldModel heldModel(const StoredMatrices &tied, const std::vector<size_t> &boundary) {
  std::vector<long> interiorIndex(tied.dofs.size(), 0);
  for (size_t b : boundary) interiorIndex[b] = -1;
  size_t interior = 0;
  for (long &index : interiorIndex)
    if (index >= 0) index = static_cast<long>(interior++);
  HeldModel held;
  held.stiffness = interiorBlock(tied.stiffness, interiorIndex, interior);
  held.mass = interiorBlock(tied.mass, interiorIndex, interior);
  try {
    held.factor = std::make_unique<SparseCholesky>(held.stiffness, nullptr, 0.0, "K_ii");
  } catch (const TranslationError &e) {
    throw TranslationError(std::string("Craig-Bampton reduction: the interface does not hold the model (") + e.what() +
                           "); an interface whose nodes lie on one line leaves a rotation free");
  }
  return held;
}

// The fixed-interface modes: our own shift-invert Lanczos on the held model,
// checked as its eigenvectors.
FixedInterfaceModes fixedInterfaceModes(const HeldModel &held, int count, Timing *timing) {
  LanczosSolution own;
  {
    StageTimer timer(&timing->eigen);
    own = lowestEigenpairs(*held.factor, 0.0, held.mass, count);
  }
  StageTimer timer(&timing->verify);
  const size_t m = static_cast<size_t>(count);
  const BasisCheck check = checkBasis(held.stiffness, held.mass, own.modes, m, {}, true);
  requireHeldBasis(check, "the fixed-interface modes");
  return FixedInterfaceModes{check.rayleigh, transposed(own.modes, held.mass.order, m)};
}

}  // namespace

ModalBasis craigBamptonBasis(const PreparedModel &prepared, SolverJobs &jobs, Timing *timing) {
  const StoredMatrices &tied = jobs.modelMatrices();
  const std::vector<size_t> boundary = boundaryEquations(prepared.interfaces, tied.dofs);
  auto reduced = std::make_shared<CraigBamptonBasis>();
  {
    HeldModel held = [&] {
      StageTimer timer(&timing->eigen);
      return heldModel(tied, boundary);
    }();
    const FixedInterfaceModes fixed = fixedInterfaceModes(held, jobs.modesAsked(), timing);
    StageTimer timer(&timing->reduction);
    *reduced = craigBampton(tied.stiffness, tied.mass, boundary, fixed, held.factor.get());
  }
  const size_t m = reduced->lambda.size();
  std::vector<double> rows = transposed(reduced->modes, m, reduced->order);
  {
    StageTimer timer(&timing->verify);
    const BasisCheck check = checkBasis(tied.stiffness, tied.mass, rows, m, prepared.rigidMotionsOn(tied.dofs), false);
    requireFreeBodyBasis(check, "the reduced Craig-Bampton modes");
    reduced->lambda = check.rayleigh;
  }
  // The body modes' stresses: their displacements are known to full
  // precision, so the solver only turns them into stresses.
  std::vector<PrescribedPart> stresses = jobs.runPrescribed("stresses", tied.dofs, rows, static_cast<int>(m));
  rows.clear();
  rows.shrink_to_fit();
  ModalBasis basis;
  basis.shapes = interfaceModes(prepared.model, prepared.interfaces, tied.dofs, *reduced);
  completeConstrainedNodes(prepared.model, &basis.shapes);
  basis.visitResults = prescribedResults(prepared, std::move(stresses));
  return basis;
}

}  // namespace qvb::ccx2qvb
