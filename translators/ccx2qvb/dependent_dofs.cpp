#include "dependent_dofs.h"

#include <algorithm>
#include <utility>

namespace qvb::ccx2qvb {
namespace {

// A dependent degree of freedom as the constraints define it, before ordering.
struct Definition {
  int64_t dof;
  const SourceLine *where;
  std::vector<std::pair<int64_t, double>> terms;
};

std::string dofText(const Model &model, int64_t dof) {
  return "node " + std::to_string(model.nodeIds[static_cast<size_t>(dof / 3)]) + " direction " +
         std::to_string(dof % 3 + 1);
}

}  // namespace

int64_t DependentDofs::dofOf(int node, int direction, const SourceLine &where) const {
  auto found = model_.nodeIndex.find(node);
  if (found == model_.nodeIndex.end())
    throw DeckError(where.text() + ": a constraint names node " + std::to_string(node) + ", which is not defined");
  if (direction < 1 || direction > 3)
    throw DeckError(where.text() + ": a constraint names direction " + std::to_string(direction) + " of node " +
                    std::to_string(node));
  return 3 * static_cast<int64_t>(found->second) + direction - 1;
}

DependentDofs::DependentDofs(const Model &model) : model_(model), dependentSlot_(3 * model.nodeIds.size(), -1) {
  std::vector<Definition> definitions;
  auto define = [&](Definition d) {
    int32_t &slot = dependentSlot_[static_cast<size_t>(d.dof)];
    if (slot >= 0)
      throw DeckError(d.where->text() + ": " + dofText(model, d.dof) +
                      " is made dependent here and by the constraint at " +
                      definitions[static_cast<size_t>(slot)].where->text());
    slot = static_cast<int32_t>(definitions.size());
    definitions.push_back(std::move(d));
  };
  // Tied node: u = u_ref + theta x (x - x_ref), theta the rotation node's values.
  for (const RigidBody &body : model.rigidBodies) {
    const double *ref = model.position(body.refNode);
    for (int node : body.nodes) {
      const double *x = model.position(node);
      const double r[3] = {x[0] - ref[0], x[1] - ref[1], x[2] - ref[2]};
      for (int d = 0; d < 3; ++d) {
        const int next = (d + 1) % 3, after = (d + 2) % 3;
        Definition def{dofOf(node, d + 1, body.where), &body.where, {{dofOf(body.refNode, d + 1, body.where), 1.0}}};
        if (r[after] != 0.0) def.terms.push_back({dofOf(body.rotNode, next + 1, body.where), r[after]});
        if (r[next] != 0.0) def.terms.push_back({dofOf(body.rotNode, after + 1, body.where), -r[next]});
        define(std::move(def));
      }
    }
  }
  // Equation: solved for its first term.
  for (const Equation &eq : model.equations) {
    if (eq.terms.empty() || eq.terms.front().coefficient == 0.0)
      throw DeckError(eq.where.text() + ": an equation without a nonzero first term");
    Definition def{dofOf(eq.terms[0].node, eq.terms[0].direction, eq.where), &eq.where, {}};
    for (size_t k = 1; k < eq.terms.size(); ++k)
      def.terms.push_back({dofOf(eq.terms[k].node, eq.terms[k].direction, eq.where),
                           -eq.terms[k].coefficient / eq.terms[0].coefficient});
    define(std::move(def));
  }
  // Order them so that each comes after the dependent ones it uses (depth
  // first; meeting one still open is a cycle).
  std::vector<char> state(definitions.size(), 0);  // 0 new, 1 open, 2 placed
  std::vector<std::pair<size_t, size_t>> stack;    // definition, next term
  for (size_t start = 0; start < definitions.size(); ++start) {
    if (state[start] != 0) continue;
    stack.push_back({start, 0});
    state[start] = 1;
    while (!stack.empty()) {
      auto &[k, next] = stack.back();
      const Definition &def = definitions[k];
      if (next < def.terms.size()) {
        const int32_t used = dependentSlot_[static_cast<size_t>(def.terms[next++].first)];
        if (used < 0 || state[static_cast<size_t>(used)] == 2) continue;
        if (state[static_cast<size_t>(used)] == 1)
          throw DeckError(def.where->text() + ": the constraints make " + dofText(model, def.dof) +
                          " depend on itself (a cycle through the constraint at " +
                          definitions[static_cast<size_t>(used)].where->text() + ")");
        state[static_cast<size_t>(used)] = 1;
        stack.push_back({static_cast<size_t>(used), 0});
        continue;
      }
      state[k] = 2;
      order_.push_back(def.dof);
      for (const auto &[dof, weight] : def.terms) {
        termDof_.push_back(dof);
        termWeight_.push_back(weight);
      }
      termStart_.push_back(termDof_.size());
      stack.pop_back();
    }
  }
}

bool DependentDofs::isDependent(int node, int direction) const {
  auto found = model_.nodeIndex.find(node);
  if (found == model_.nodeIndex.end() || direction < 1 || direction > 3) return false;
  return dependentSlot_[3 * static_cast<size_t>(found->second) + static_cast<size_t>(direction) - 1] >= 0;
}

void DependentDofs::fill(double *values, size_t modeCount) const {
  for (size_t k = 0; k < order_.size(); ++k) {
    double *row = values + static_cast<size_t>(order_[k]) * modeCount;
    std::fill(row, row + modeCount, 0.0);
    for (size_t t = termStart_[k]; t < termStart_[k + 1]; ++t) {
      const double *from = values + static_cast<size_t>(termDof_[t]) * modeCount;
      const double w = termWeight_[t];
      for (size_t j = 0; j < modeCount; ++j) row[j] += w * from[j];
    }
  }
}

std::vector<double> DependentDofs::expand(const std::vector<Dof> &dofs, const double *modes, size_t modeCount) const {
  std::vector<size_t> rows(dofs.size());
  for (size_t p = 0; p < dofs.size(); ++p) {
    auto found = model_.nodeIndex.find(dofs[p].node);
    if (found == model_.nodeIndex.end() || dofs[p].direction < 1 || dofs[p].direction > 3)
      throw ResultFileError("the solver's equations name node " + std::to_string(dofs[p].node) + " direction " +
                            std::to_string(dofs[p].direction) + ", which the model does not have");
    rows[p] = 3 * static_cast<size_t>(found->second) + static_cast<size_t>(dofs[p].direction) - 1;
    if (dependentSlot_[rows[p]] >= 0)
      throw ResultFileError("the solver's equations hold node " + std::to_string(dofs[p].node) + " direction " +
                            std::to_string(dofs[p].direction) +
                            ", which the constraints make dependent: its model differs from the translator's");
  }
  std::vector<double> values(3 * model_.nodeIds.size() * modeCount, 0.0);
  // Mode-major to node-major: each row written whole, reading one value of
  // every mode (modeCount cache lines, reused by the next rows).
  for (size_t p = 0; p < dofs.size(); ++p) {
    double *row = &values[rows[p] * modeCount];
    for (size_t j = 0; j < modeCount; ++j) row[j] = modes[j * dofs.size() + p];
  }
  fill(values.data(), modeCount);
  return values;
}

}  // namespace qvb::ccx2qvb
