#include "model_preparation.h"

#include <algorithm>

#include "constraint_checks.h"
#include "deck_parser.h"
#include "dependent_dofs.h"
#include "errors.h"
#include "interfaces.h"
#include "pieces.h"
#include "solver_run.h"
#include "structural_expansion.h"
#include "temperature.h"
#include "tie_equations.h"
#include "unit_system.h"

namespace qvb::ccx2qvb {
namespace {

std::string baseName(const std::string &path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<char> markElementNodes(const Model &model) {
  std::vector<char> used(model.nodeIds.size(), 0);
  for (int id : model.connectivity) used[static_cast<size_t>(model.nodeIndex.at(id))] = 1;
  return used;
}

// The solver's eigen-solver needs fewer modes than the model has unknowns.
void requireEnoughUnknowns(const PreparedModel &p, int modes) {
  const size_t unknowns = 3 * p.elementNodes;
  const size_t asked = static_cast<size_t>(modes) + (p.interfaces.empty() ? 6 : 0);
  if (2 * asked + 1 > unknowns)
    throw OptionError("-n " + std::to_string(modes) + " asks for " + std::to_string(asked) +
                      " modes, but the model has only " + std::to_string(p.elementNodes) + " nodes (" +
                      std::to_string(unknowns) + " unknowns; at most " + std::to_string((unknowns - 1) / 2) +
                      " modes can be found): give a smaller -n or a finer mesh");
}

// The deck's constraints as the solver will see them: checked (no constraint
// may hold a rigid motion, no degree of freedom be dependent twice), the ties
// turned into equations of our own, and the whole one piece.
void carryConstraints(Model *model) {
  checkConstraints(*model);
  for (Equation &e : tieEquations(*model)) model->equations.push_back(std::move(e));
  requireOnePiece(*model);
  DependentDofs check(*model);  // refuses cycles before any solver time is spent
}

// An interface ties its nodes to a new reference node: a node the deck
// already makes dependent cannot be tied a second time.
void requireIndependentInterfaces(const Model &model, const std::vector<Interface> &interfaces) {
  if (interfaces.empty() || (model.equations.empty() && model.rigidBodies.empty())) return;
  const DependentDofs dependent(model);
  for (const Interface &i : interfaces)
    for (int id : i.nodes)
      for (int d = 1; d <= 3; ++d)
        if (dependent.isDependent(id, d))
          throw DeckError("interface set " + i.nodeSet + " holds node " + std::to_string(id) +
                          ", which a constraint of the deck already moves (*EQUATION, *TIE or *RIGID BODY): "
                          "an interface cannot tie it again");
}

}  // namespace

NodeRole PreparedModel::role(int node) const {
  for (const Interface &i : interfaces)
    if (node == i.refNode || node == i.rotNode) return {i.centre, node == i.rotNode};
  for (const RigidBody &r : model.rigidBodies)
    if (node == r.rotNode) return {model.position(node), true};
  return {model.position(node), false};
}

std::vector<double> PreparedModel::rigidMotionsOn(const std::vector<Dof> &dofs) const {
  double low[3], high[3];
  for (int c = 0; c < 3; ++c) low[c] = high[c] = model.coordinates.empty() ? 0.0 : model.coordinates[c];
  for (size_t k = 0; k < model.coordinates.size(); ++k) {
    low[k % 3] = std::min(low[k % 3], model.coordinates[k]);
    high[k % 3] = std::max(high[k % 3], model.coordinates[k]);
  }
  double centre[3], length = 0;
  for (int c = 0; c < 3; ++c) {
    centre[c] = 0.5 * (low[c] + high[c]);
    length = std::max(length, high[c] - low[c]);
  }
  return rigidMotions(
      dofs, [this](int node) { return role(node); }, centre, length > 0 ? length : 1.0);
}

PreparedModel prepareModel(const Options &options, std::vector<std::string> *warnings) {
  if (options.modes < 1) throw OptionError("the mode count must be at least 1");
  PreparedModel p;
  for (int q = 0; q < 4; ++q) p.units[q] = options.units[q];
  requireConsistentUnits(p.units);
  p.model = readDeck(options.deck);
  expandStructuralElements(&p.model);
  carryConstraints(&p.model);
  *warnings = p.model.warnings;
  p.temperature = resolveTemperature(&p.model, options.temperature);
  if (!options.unitsGiven) {
    const std::string hint = likelyUnitsWarning(p.model, p.units);
    if (!hint.empty()) warnings->push_back(hint);
  }
  p.elementNode = markElementNodes(p.model);
  p.elementNodes = static_cast<size_t>(std::count(p.elementNode.begin(), p.elementNode.end(), 1));
  p.interfaces = defineInterfaces(p.model, options.interfaces);
  requireIndependentInterfaces(p.model, p.interfaces);
  requireEnoughUnknowns(p, options.modes);
  p.deckName = baseName(options.deck);
  p.solver = findSolver();
  return p;
}

}  // namespace qvb::ccx2qvb
