// The decks the translator hands to the solver.
//
// The model is written back from what was parsed (full precision, one
// element block per material and type), so the solver sees exactly the
// model the body describes, and the analyses include it.
#pragma once

#include <string>
#include <vector>

#include "matrix_files.h"
#include "model.h"

namespace qvb::ccx2qvb {

// An interface: a node set tied rigidly to a reference node at its centroid,
// whose rotations are carried by a separate rotation node.
struct Interface {
  std::string nodeSet;     // the set named, upper case: a node set, or an element set (its elements' nodes)
  std::vector<int> nodes;  // the tied nodes, sorted
  int refNode = 0;
  int rotNode = 0;
  double centre[3] = {0, 0, 0};
};

// Writes model.inp (nodes, elements, materials, sections, point masses and
// springs, the interface sets) and, unless withConstraints is false, the model's constraints: its
// equations (the tie equations appended) and rigid bodies. Without them the
// solver sees the bare mesh, whose matrices hold every node's directions.
void writeModelDeck(const Model &model, const std::vector<Interface> &interfaces, const std::string &path,
                    bool withConstraints = true);

// A run that only stores the stiffness and mass matrices (.sti, .mas, .dof),
// with the interfaces tied when there are any, of the model in modelFile.
void writeMatrixDeck(const std::vector<Interface> &interfaces, const std::string &path,
                     const std::string &modelFile = "model.inp");

// The interface equations in the order the reduction and the constraint run
// take them: per interface, the reference node's three translations, then
// the rotation node's three (the interface's rotations).
std::vector<Dof> interfaceEquations(const std::vector<Interface> &interfaces);

// Static steps, step j prescribing every listed degree of freedom to mode j's
// value there (modes: row-major dofs x modeCount), with nodal stresses and
// strains in the .frd: the stresses of displacement fields we computed
// ourselves (our own modes, the constraint modes), on the model with the
// interfaces tied. Nothing is left for the solver to solve, so each step
// costs no factorisation.
void writeDisplacementDeck(const std::vector<Interface> &interfaces, const std::vector<Dof> &dofs,
                           const std::vector<double> &modes, int modeCount, const std::string &path);

}  // namespace qvb::ccx2qvb
