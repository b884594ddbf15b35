#include "body_assembly.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "body_builder.h"
#include "errors.h"
#include "exact_mass.h"
#include "interruption.h"
#include "skin.h"
#include "stage_timer.h"

namespace qvb::ccx2qvb {
namespace {

// Shapes at the model's nodes must be as orthonormal in the mesh's mass as
// the modes were on the solved equations.
constexpr double kOrthonormality = 1e-6;

void requireOrthonormal(const MassProperties &p) {
  const size_t m = static_cast<size_t>(p.modeCount);
  double worst = 0.0;
  for (size_t j = 0; j < m; ++j)
    for (size_t k = 0; k < m; ++k) worst = std::max(worst, std::fabs(p.i6[j * m + k] - (j == k ? 1.0 : 0.0)));
  if (worst > kOrthonormality) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "the mode shapes at the model's nodes are not orthonormal in the mesh's mass matrix "
                  "(|Phi' M Phi - I| reaches %.3g): the constrained nodes do not follow the solver's model",
                  worst);
    throw VerificationError(text);
  }
}

std::string headerLine(const PreparedModel &p) {
  std::string line = "written by ccx2qvb";
  if (p.temperature) {
    char text[64];
    std::snprintf(text, sizeof text, "; materials at temperature %.17g", *p.temperature);
    line += text;
  }
  return line;
}

}  // namespace

MassProperties bodyMassProperties(const PreparedModel &prepared, SolverJobs &jobs, const ModalBasis &basis) {
  const StoredMatrices &mesh = jobs.meshMatrices();
  MassProperties p = computeMassProperties(prepared.model, exactRigidMass(prepared.model), mesh.mass, mesh.dofs,
                                           modelTranslations(prepared.model, basis.shapes), basis.shapes.modeCount);
  requireOrthonormal(p);
  return p;
}

void writeBody(const PreparedModel &prepared, const Options &options, const ModalBasis &basis,
               const MassProperties &properties, Timing *timing) {
  const Model &model = prepared.model;
  const NodalModes &modes = basis.shapes;
  const size_t nodes = model.nodeIds.size();
  // A rigid body's rotation node holds its rotations, which the body gives
  // at the reference node: it is not a node of the body.
  std::vector<char> skip(modes.bodyNodes, 0);
  for (const RigidBody &r : model.rigidBodies) skip[static_cast<size_t>(model.nodeIndex.at(r.rotNode))] = 1;
  const size_t bodyNodes = modes.bodyNodes - static_cast<size_t>(std::count(skip.begin(), skip.end(), 1));
  BodyBuilder body(static_cast<int>(bodyNodes), modes.modeCount);
  body.setUnits(prepared.units);
  body.setHeader(
      "ccx2qvb: " + prepared.deckName, prepared.interfaces.empty() ? "free-free normal modes" : "Craig-Bampton modes",
      "from solver deck " + prepared.deckName,
      std::to_string(nodes) + " nodes, " + std::to_string(model.elementIds.size()) + " elements", headerLine(prepared));
  std::vector<int> ids = model.nodeIds;
  for (const Interface &i : prepared.interfaces) ids.push_back(i.refNode);
  for (size_t a = 0; a < nodes; ++a)
    if (!skip[a]) body.setNode(ids[a], &model.coordinates[3 * a]);
  for (size_t k = 0; k < prepared.interfaces.size(); ++k)
    body.setNode(prepared.interfaces[k].refNode, prepared.interfaces[k].centre);
  for (size_t a = 0; a < nodes; ++a)
    if (properties.nodalMass[a] > 0) body.setNodalMass(ids[a], properties.nodalMass[a]);
  for (const std::vector<int> &face : skinFaces(model)) body.addFace(face);
  for (const Interface &i : prepared.interfaces) body.setInterfaceNode(i.refNode);
  for (int j = 0; j < modes.modeCount; ++j)
    for (size_t a = 0; a < modes.bodyNodes; ++a)
      if (!skip[a]) body.setModeValues(j + 1, ids[a], BodyBuilder::ModeQuantity::kShape, modes.at(j, a));
  body.setModalMatrices(modes.eigenvalues);
  body.setMassProperties(properties);
  {
    StageTimer timer(&timing->results);
    basis.visitResults([&](FrdResult kind, int mode, size_t node, const double *six) {
      body.setModeValues(
          mode + 1, ids[node],
          kind == FrdResult::kStress ? BodyBuilder::ModeQuantity::kStress : BodyBuilder::ModeQuantity::kStrain, six);
    });
  }
  // Past this point the body is written whole or not at all; an interrupt
  // that came during our own steps stops before it.
  stopIfInterrupted();
  body.write(options.output);
}

}  // namespace qvb::ccx2qvb
