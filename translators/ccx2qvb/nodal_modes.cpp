#include "nodal_modes.h"

#include <unordered_map>

#include "dependent_dofs.h"
#include "errors.h"

namespace qvb::ccx2qvb {

NodalModes freeModes(const Model &model, const EigenSolution &eig, const std::vector<Dof> &dofs) {
  if (static_cast<int64_t>(dofs.size()) != eig.equations)
    throw ResultFileError("the modes and the matrices have different equation counts");
  NodalModes m;
  m.modeCount = eig.modeCount;
  m.bodyNodes = model.nodeIds.size();
  m.eigenvalues = eig.eigenvalues;
  m.values.assign(static_cast<size_t>(m.modeCount) * m.bodyNodes * 6, 0.0);
  for (size_t p = 0; p < dofs.size(); ++p) {
    const size_t a = static_cast<size_t>(model.nodeIndex.at(dofs[p].node));
    for (int j = 0; j < m.modeCount; ++j)
      m.at(j, a)[dofs[p].direction - 1] = eig.modes[static_cast<size_t>(j) * dofs.size() + p];
  }
  return m;
}

NodalModes interfaceModes(const Model &model, const std::vector<Interface> &interfaces, const std::vector<Dof> &dofs,
                          const CraigBamptonBasis &basis) {
  const size_t nodes = model.nodeIds.size();
  NodalModes m;
  m.modeCount = static_cast<int>(basis.lambda.size());
  m.bodyNodes = nodes + interfaces.size();
  m.eigenvalues = basis.lambda;
  m.values.assign(static_cast<size_t>(m.modeCount) * m.bodyNodes * 6, 0.0);
  // Where an equation's value goes: body node and component.
  std::unordered_map<int, std::pair<size_t, int>> target;  // node ID -> (body node, first component)
  for (size_t k = 0; k < interfaces.size(); ++k) {
    target[interfaces[k].refNode] = {nodes + k, 0};
    target[interfaces[k].rotNode] = {nodes + k, 3};
  }
  std::vector<bool> moved(nodes, false);
  for (size_t p = 0; p < dofs.size(); ++p) {
    size_t node;
    int component = dofs[p].direction - 1;
    auto it = target.find(dofs[p].node);
    if (it != target.end()) {
      node = it->second.first;
      component += it->second.second;
    } else {
      auto found = model.nodeIndex.find(dofs[p].node);
      if (found == model.nodeIndex.end())
        throw ResultFileError("the tied matrices hold node " + std::to_string(dofs[p].node) + ", not in the model");
      node = static_cast<size_t>(found->second);
      moved[node] = true;
    }
    for (int j = 0; j < m.modeCount; ++j)
      m.at(j, node)[component] = basis.modes[static_cast<size_t>(j) * basis.order + p];
  }
  for (size_t k = 0; k < interfaces.size(); ++k)
    for (int id : interfaces[k].nodes) {
      const size_t a = static_cast<size_t>(model.nodeIndex.at(id));
      if (moved[a]) continue;
      const double *x = &model.coordinates[3 * a];
      const double r[3] = {x[0] - interfaces[k].centre[0], x[1] - interfaces[k].centre[1], x[2] - interfaces[k].centre[2]};
      for (int j = 0; j < m.modeCount; ++j) {
        const double *ref = m.at(j, nodes + k);
        double *u = m.at(j, a);
        u[0] = ref[0] + ref[4] * r[2] - ref[5] * r[1];
        u[1] = ref[1] + ref[5] * r[0] - ref[3] * r[2];
        u[2] = ref[2] + ref[3] * r[1] - ref[4] * r[0];
      }
    }
  return m;
}

void completeConstrainedNodes(const Model &model, NodalModes *modes) {
  if (model.equations.empty() && model.rigidBodies.empty()) return;
  const size_t nodes = model.nodeIds.size(), m = static_cast<size_t>(modes->modeCount);
  std::vector<double> values(3 * nodes * m);
  for (size_t a = 0; a < nodes; ++a)
    for (size_t j = 0; j < m; ++j)
      for (size_t d = 0; d < 3; ++d) values[(3 * a + d) * m + j] = modes->at(static_cast<int>(j), a)[d];
  DependentDofs(model).fill(values.data(), m);
  for (size_t a = 0; a < nodes; ++a)
    for (size_t j = 0; j < m; ++j)
      for (size_t d = 0; d < 3; ++d) modes->at(static_cast<int>(j), a)[d] = values[(3 * a + d) * m + j];
  for (const RigidBody &body : model.rigidBodies) {
    const size_t ref = static_cast<size_t>(model.nodeIndex.at(body.refNode));
    const size_t rot = static_cast<size_t>(model.nodeIndex.at(body.rotNode));
    for (int j = 0; j < modes->modeCount; ++j)
      for (int d = 0; d < 3; ++d) modes->at(j, ref)[3 + d] = modes->at(j, rot)[d];
  }
}

std::vector<double> modelTranslations(const Model &model, const NodalModes &modes) {
  const size_t nodes = model.nodeIds.size();
  std::vector<double> out(static_cast<size_t>(modes.modeCount) * nodes * 3);
  for (int j = 0; j < modes.modeCount; ++j)
    for (size_t a = 0; a < nodes; ++a)
      for (int c = 0; c < 3; ++c) out[(static_cast<size_t>(j) * nodes + a) * 3 + static_cast<size_t>(c)] = modes.at(j, a)[c];
  return out;
}

}  // namespace qvb::ccx2qvb
