// The degrees of freedom the solver eliminates, rebuilt from the ones it
// keeps. The solver solves each equation for its first term and moves a
// rigid body's tied nodes with its reference node; its modes and matrices
// hold only the remaining (independent) equations listed in its .dof file.
#pragma once

#include <cstdint>
#include <vector>

#include "errors.h"
#include "matrix_files.h"
#include "model.h"

namespace qvb::ccx2qvb {

// Values of every model node's three directions for many modes at once,
// node-major: value (node index a, direction d in 1..3, mode j) is at
// (3 * a + d - 1) * modeCount + j, so that each degree of freedom's modes are
// contiguous and one constraint is one pass over them. A rotation node's
// three values are its rigid body's rotations.
class DependentDofs {
 public:
  // From model.equations (the tie equations appended) and model.rigidBodies.
  // Throws DeckError for constraints that name an undefined node, make a
  // degree of freedom dependent twice, or depend on themselves in a cycle.
  explicit DependentDofs(const Model &model);

  size_t dependentCount() const { return order_.size(); }
  bool isDependent(int node, int direction) const;

  // Sets the dependent values from the others (already in values), chains
  // resolved: an equation's other terms may themselves be dependent.
  void fill(double *values, size_t modeCount) const;

  // The solver's values at its equations (dofs; mode-major as in .eig,
  // modes[j * dofs.size() + p]) spread onto every node, node-major as above,
  // then the dependent ones filled. Degrees of freedom neither among the
  // equations nor dependent (held ones) are zero. Throws ResultFileError when
  // the equations name an undefined node or a dependent degree of freedom.
  std::vector<double> expand(const std::vector<Dof> &dofs, const double *modes, size_t modeCount) const;

 private:
  int64_t dofOf(int node, int direction, const SourceLine &where) const;

  const Model &model_;
  // Dependent degree of freedom k (in an order where each comes after the
  // ones it uses) is sum of weight * value over terms termStart_[k] .. [k + 1].
  std::vector<int64_t> order_;
  std::vector<size_t> termStart_{0};
  std::vector<int64_t> termDof_;
  std::vector<double> termWeight_;
  std::vector<int32_t> dependentSlot_;  // per degree of freedom: its definition, or -1
};

}  // namespace qvb::ccx2qvb
