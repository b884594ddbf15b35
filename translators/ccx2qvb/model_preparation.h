// Everything decided from the deck and the options alone, before any solver
// time is spent: the model with its constraints, the interfaces, the units
// and the temperature.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis_decks.h"
#include "model.h"
#include "rigid_motions.h"
#include "translate.h"

namespace qvb::ccx2qvb {

struct PreparedModel {
  Model model;
  std::vector<Interface> interfaces;
  std::string units[4];
  std::optional<double> temperature;  // where the material tables were read, when they needed one
  std::string solver;                 // the solver program's path
  std::string deckName;               // the deck's file name, for the body's header
  std::vector<char> elementNode;      // per model node: used by an element (the solver gives it results)
  size_t elementNodes = 0;            // how many are
  bool constrained() const { return !model.equations.empty() || !model.rigidBodies.empty(); }
  // Where a node of the solver's equations is and whether its unknowns are
  // rotations (the rotation node of a rigid tie or an interface).
  NodeRole role(int node) const;
  // The six rigid-body motions on the given equations (rigid_motions.h).
  std::vector<double> rigidMotionsOn(const std::vector<Dof> &dofs) const;
};

// Reads and checks; throws DeckError or OptionError naming the cause.
PreparedModel prepareModel(const Options &options, std::vector<std::string> *warnings);

}  // namespace qvb::ccx2qvb
