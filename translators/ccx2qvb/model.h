// The finite-element model read from a deck: what the translator needs of it.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "element_types.h"

namespace qvb::ccx2qvb {

// Where a keyword or data line stood, for messages ("file:line").
struct SourceLine {
  std::string file;
  long line = 0;
  std::string text() const { return file + ":" + std::to_string(line); }
};

// How *ELASTIC gives the constants (its TYPE): isotropic E and nu; the
// orthotropic stiffness D1111 D1122 D2222 D1133 D2233 D3333 D1212 D1313 D2323;
// engineering constants E1 E2 E3 nu12 nu13 nu23 G12 G13 G23; the anisotropic
// stiffness, 21 entries of the upper triangle column by column in the order
// 11 22 33 12 13 23. Axes 1 to 3 are the element's orientation's, else global.
enum class ElasticType { kIsotropic, kOrthotropic, kEngineeringConstants, kAnisotropic };

// A material property given at one or more temperatures. One point: the
// same at every temperature (its temperature is then irrelevant).
struct ElasticPoint {
  double youngsModulus = 0.0;
  double poissonRatio = 0.0;
  double temperature = 0.0;
  std::vector<double> constants;  // the other types' constants, in the deck's order
};
struct DensityPoint {
  double density = 0.0;
  double temperature = 0.0;
};

struct Material {
  std::string name;  // upper case, as the solver folds it
  SourceLine where;  // its *MATERIAL line
  std::vector<ElasticPoint> elastic;  // in increasing temperature; empty when the deck gives none
  std::vector<DensityPoint> density;  // in increasing temperature; empty when the deck gives none
  ElasticType elasticType = ElasticType::kIsotropic;
  // The values the model uses, at the translation's temperature (see
  // resolveTemperature in temperature.h); set after reading. For the other
  // types, youngsModulus is the largest Young's modulus along the material
  // axes (a scale for the units check) and stiffness holds the constants of
  // TYPE=ORTHO (9) or TYPE=ANISO (21) the solver is given.
  double youngsModulus = 0.0;
  double poissonRatio = 0.0;
  double densityValue = 0.0;
  std::vector<double> stiffness;
};

// A local system for material axes (*ORIENTATION), written back as read.
// Rectangular: x' towards point a, y' in the plane of a and b, optionally
// turned about local axis rotationAxis (1..3) by rotationAngle degrees.
// Cylindrical: x' radial, y' tangential, z' along the axis from a to b.
struct Orientation {
  std::string name;  // upper case
  bool cylindrical = false;
  std::array<double, 6> points{};  // a, then b
  int rotationAxis = 0;            // 0: no turn
  double rotationAngle = 0.0;
  SourceLine where;
};

// One term of a linear constraint: coefficient times a displacement.
struct EquationTerm {
  int node = 0;
  int direction = 0;  // 1..3 translations (and a rotation node's rotations)
  double coefficient = 0.0;
};

// A homogeneous linear constraint, sum of the terms = 0. The first term's
// degree of freedom is the dependent one, which the solver eliminates.
struct Equation {
  std::vector<EquationTerm> terms;
  SourceLine where;
};

// Nodes moving rigidly with a reference node, whose rotations are the
// translations of a rotation node (both always present: the reader makes
// them when the deck leaves them out).
struct RigidBody {
  std::vector<int> nodes;  // the tied nodes (sorted, unique)
  int refNode = 0;
  int rotNode = 0;
  SourceLine where;
};

// A surface: element faces (element ID, face number 1..6 as the solver
// numbers them) or, for a node surface, node IDs.
struct Surface {
  std::string name;  // upper case
  bool nodal = false;
  std::vector<std::pair<int, int>> faces;
  std::vector<int> nodes;
  SourceLine where;
};

// Slave nodes held to a master surface (*TIE); the translator turns each
// tie into equations of its own (tie_equations.h), so it knows them exactly.
struct Tie {
  std::string name;
  std::string slave, master;        // surface names, upper case
  double positionTolerance = -1.0;  // negative: the solver's default
  bool adjust = true;               // slave nodes moved onto the master surface
  SourceLine where;
};

// A point mass (*ELEMENT, TYPE=MASS with *MASS): the same mass in every
// direction at one node, no rotary inertia.
struct PointMass {
  int element = 0;
  int node = 0;
  double mass = 0.0;  // as the solver reads it back
  SourceLine where;   // its *ELEMENT data line
};

// A linear spring between two nodes of the part (*SPRING): SPRINGA along the
// line joining them, SPRING2 between one direction of each node.
struct Spring {
  int element = 0;
  bool axial = false;  // SPRINGA
  int nodes[2] = {0, 0};
  int directions[2] = {0, 0};  // SPRING2: 1..3
  double stiffness = 0.0;      // as the solver reads it back
  SourceLine where;            // its *ELEMENT data line
};

// A *SHELL SECTION or *BEAM SECTION: what the solver needs to expand its
// elements into solids (structural_expansion.h).
struct StructuralSection {
  std::string elset, material;  // upper case
  bool beam = false;
  double thickness = 0.0;                 // a shell's
  double width = 0.0, height = 0.0;       // a rectangular beam section's, along its 1- and 2-directions
  double direction[3] = {0.0, 0.0, 0.0};  // a beam section's 1-direction, as given
  SourceLine where;
};

struct Model {
  // Nodes in the order first defined; coordinates at full input precision.
  std::vector<int> nodeIds;
  std::vector<double> coordinates;  // x y z per node
  std::unordered_map<int, int32_t> nodeIndex;

  // Elements: connectivity by node ID, elementStart[e] .. elementStart[e + 1].
  std::vector<int> elementIds;
  std::vector<const ElementType *> elementTypes;
  std::vector<int64_t> elementStart{0};
  std::vector<int> connectivity;
  std::vector<int> elementMaterial;     // index into materials, per element
  std::vector<int> elementOrientation;  // index into orientations, per element; -1: global axes
  // Shell and beam sections, and per element the index of its own (-1 for
  // solids); used until the elements are expanded into solids.
  std::vector<StructuralSection> structuralSections;
  std::vector<int> elementStructuralSection;
  // Surface and line elements no section named: not part of the model, only
  // their nodes by element ID (skipped_elements.h).
  std::unordered_map<int, std::vector<int>> skippedElements;

  // Sets by upper-case name: node IDs, element IDs (in the order given).
  std::map<std::string, std::vector<int>> nodeSets;
  std::map<std::string, std::vector<int>> elementSets;
  std::map<std::string, Surface> surfaces;

  std::vector<Material> materials;
  std::vector<Orientation> orientations;

  // Discrete elements, kept apart from the solid ones (which alone have
  // volume, faces and stresses).
  std::vector<PointMass> pointMasses;
  std::vector<Spring> springs;

  // Constraints the solver's model carries.
  std::vector<Equation> equations;
  std::vector<RigidBody> rigidBodies;
  std::vector<Tie> ties;

  // The deck's uniform initial temperature, when it gives one; when its
  // initial temperatures are not one value for all element nodes, why not
  // (with file and line), for the message that asks for a temperature.
  std::optional<double> initialTemperature;
  std::string initialTemperatureVaries;

  // Keywords skipped because they describe loads, steps, outputs or
  // contact, by name with their count (one summary warning lists them).
  std::map<std::string, int> ignoredKeywords;
  std::vector<std::string> warnings;

  int highestNodeId() const;
  const double *position(int nodeId) const { return &coordinates[3 * nodeIndex.at(nodeId)]; }
};

}  // namespace qvb::ccx2qvb
