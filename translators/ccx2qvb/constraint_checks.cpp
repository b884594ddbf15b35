#include "constraint_checks.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "message_number.h"

namespace qvb::ccx2qvb {
namespace {

[[noreturn]] void refuseEquation(const Equation &eq, const std::string &why) {
  throw DeckError(eq.where.text() + ": *EQUATION " + why);
}

// The sums of an equation over unit translations along and unit rotations
// about x, y, z. A rotation node's values are the body's rotations, so it
// takes part in the rotations only, without a lever arm.
void checkRigidMotions(const Model &model, const Equation &eq, const Extent &extent,
                       const std::unordered_set<int> &rotationNodes) {
  static const char *const kAxis[3] = {"x", "y", "z"};
  double translation[3] = {0, 0, 0}, rotation[3] = {0, 0, 0};
  double scale = 0.0, rotationScale = 0.0;
  for (const EquationTerm &t : eq.terms) {
    const int d = t.direction - 1;
    const double c = t.coefficient;
    scale = std::max(scale, std::fabs(c));
    if (rotationNodes.count(t.node) != 0) {
      rotation[d] += c;
      rotationScale = std::max(rotationScale, std::fabs(c));
      continue;
    }
    translation[d] += c;
    const double *x = model.position(t.node);
    const double r[3] = {x[0] - extent.centre[0], x[1] - extent.centre[1], x[2] - extent.centre[2]};
    // Direction d of (theta x r), by theta's components.
    const int next = (d + 1) % 3, after = (d + 2) % 3;
    rotation[next] += c * r[after];
    rotation[after] -= c * r[next];
  }
  rotationScale = std::max(rotationScale, scale * extent.size);
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(translation[k]) > kRigidMotionTolerance * scale)
      refuseEquation(eq, "holds the free body's translation along " + std::string(kAxis[k]) +
                             ": its coefficients along " + kAxis[k] + " sum to " + messageNumber(translation[k], 3) +
                             ", not zero (a free body's constraints must let it move rigidly)");
    if (std::fabs(rotation[k]) > kRigidMotionTolerance * rotationScale)
      refuseEquation(eq, "holds the free body's rotation about " + std::string(kAxis[k]) + ": its terms sum to " +
                             messageNumber(rotation[k], 3) + " per unit rotation, not zero (at most " +
                             messageNumber(kRigidMotionTolerance * rotationScale, 3) +
                             "; a free body's constraints must let it move rigidly)");
  }
}

void checkEquation(const Model &model, const Equation &eq, const Extent &extent,
                   const std::unordered_set<int> &rotationNodes) {
  if (eq.terms.empty()) refuseEquation(eq, "has no terms");
  for (const EquationTerm &t : eq.terms) {
    if (model.nodeIndex.count(t.node) == 0)
      refuseEquation(eq, "names node " + std::to_string(t.node) + ", which is not defined");
    if (t.direction < 1 || t.direction > 3)
      refuseEquation(eq, "names direction " + std::to_string(t.direction) + " of node " + std::to_string(t.node) +
                             ": solid nodes have the directions 1 to 3");
  }
  const EquationTerm &first = eq.terms.front();
  if (first.coefficient == 0.0)
    refuseEquation(eq, "has a zero first coefficient: the solver solves the equation for its first term");
  for (size_t k = 1; k < eq.terms.size(); ++k)
    if (eq.terms[k].node == first.node && eq.terms[k].direction == first.direction)
      refuseEquation(eq, "names its first (dependent) term, node " + std::to_string(first.node) + " direction " +
                             std::to_string(first.direction) + ", twice");
  checkRigidMotions(model, eq, extent, rotationNodes);
}

void checkRigidBody(const Model &model, const RigidBody &body, const std::unordered_set<int> &tied) {
  const std::string where = body.where.text() + ": *RIGID BODY ";
  for (int node : {body.refNode, body.rotNode})
    if (model.nodeIndex.count(node) == 0)
      throw DeckError(where + "names node " + std::to_string(node) + ", which is not defined");
  if (body.refNode == body.rotNode)
    throw DeckError(where + "has node " + std::to_string(body.refNode) + " as both its reference and rotation node");
  for (int node : {body.refNode, body.rotNode})
    if (tied.count(node) != 0)
      throw DeckError(where + "has node " + std::to_string(node) + " as its " +
                      (node == body.refNode ? "reference" : "rotation") +
                      " node, but a rigid body ties it: those nodes must be distinct from the tied ones");
}

}  // namespace

Extent extentOf(const Model &model) {
  Extent e;
  if (model.nodeIds.empty()) return e;
  double low[3], high[3];
  std::copy_n(model.coordinates.data(), 3, low);
  std::copy_n(model.coordinates.data(), 3, high);
  for (size_t a = 0; a < model.nodeIds.size(); ++a)
    for (int c = 0; c < 3; ++c) {
      low[c] = std::min(low[c], model.coordinates[3 * a + c]);
      high[c] = std::max(high[c], model.coordinates[3 * a + c]);
    }
  for (int c = 0; c < 3; ++c) {
    e.centre[c] = 0.5 * (low[c] + high[c]);
    e.size += (high[c] - low[c]) * (high[c] - low[c]);
  }
  e.size = std::sqrt(e.size);
  return e;
}


void checkConstraints(const Model &model) {
  std::unordered_set<int> tied, rotationNodes;
  for (const RigidBody &body : model.rigidBodies) {
    tied.insert(body.nodes.begin(), body.nodes.end());
    rotationNodes.insert(body.rotNode);
  }
  for (const RigidBody &body : model.rigidBodies) checkRigidBody(model, body, tied);
  // A rotation node's translations are rotations: no element may use it.
  if (!rotationNodes.empty())
    for (size_t e = 0; e < model.elementIds.size(); ++e)
      for (int64_t k = model.elementStart[e]; k < model.elementStart[e + 1]; ++k) {
        const int node = model.connectivity[static_cast<size_t>(k)];
        if (rotationNodes.count(node) == 0) continue;
        for (const RigidBody &body : model.rigidBodies)
          if (body.rotNode == node)
            throw DeckError(body.where.text() + ": *RIGID BODY has node " + std::to_string(node) +
                            " as its rotation node, but element " + std::to_string(model.elementIds[e]) +
                            " uses it: a rotation node carries rotations, not displacements");
      }
  const Extent extent = extentOf(model);
  for (const Equation &eq : model.equations) checkEquation(model, eq, extent, rotationNodes);

  // Each degree of freedom is eliminated by one constraint at most.
  std::unordered_map<int64_t, const SourceLine *> owner;
  auto claim = [&](int node, int direction, const SourceLine &where, const char *kind) {
    auto [it, fresh] = owner.emplace(static_cast<int64_t>(node) * 4 + direction, &where);
    if (!fresh)
      throw DeckError(where.text() + ": " + kind + " makes node " + std::to_string(node) + " direction " +
                      std::to_string(direction) + " dependent, but the constraint at " + it->second->text() +
                      " already does: the solver eliminates a degree of freedom once");
  };
  for (const RigidBody &body : model.rigidBodies)
    for (int node : body.nodes)
      for (int d = 1; d <= 3; ++d) claim(node, d, body.where, "*RIGID BODY");
  for (const Equation &eq : model.equations)
    claim(eq.terms.front().node, eq.terms.front().direction, eq.where, "*EQUATION");
}

}  // namespace qvb::ccx2qvb
