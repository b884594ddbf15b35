// A flexible body described as plain data, so that a test can change any part
// of it, and written through the library's C interface to a real store (the
// comparison and converter tests read it back).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace qvbtest {

using Six = std::array<double, 6>;

struct NodePlan {
  int id;
  std::array<double, 3> xyz;
  double mass;
  Six inertia;  // xx yy zz xy xz yz
};

struct ModePlan {
  int number;
  double eigenvalue;           // omega^2; stored as generalized stiffness with unit mass
  std::vector<Six> shape;      // per node, in the order of BodyPlan::nodes
  std::vector<Six> stress;     // per node; empty: no stress for this mode
};

struct MonitorPointPlan {
  std::string name, label;
  int type = 1, resultType = 0, component = 1;
  std::vector<int> nodeIds;    // one per operator row
  std::vector<double> displacement;  // rows x modes, row by row
};

struct MatrixOperatorPlan {
  std::string name;
  std::vector<std::string> labels;  // one per row
  std::string tag;
  int columns = 0;
  std::vector<double> values;  // rows x columns
};

struct NodalLoadPlan {
  int nodeId, coordinate;
  double value;
};

// Everything a test body may hold. Values are in SI; `unitScale` writes the
// same body in other units (gram, mm, ms, N: each value times the number of
// body units per SI unit raised to its dimension).
struct BodyPlan {
  std::array<std::string, 4> units{"kg", "m", "s", "n"};
  std::array<double, 3> unitScale{1.0, 1.0, 1.0};  // mass, length, time units per SI unit

  std::string title = "test body", fileType = "TESTFE";
  std::vector<NodePlan> nodes;
  std::vector<ModePlan> modes;
  double totalMass = 0.0;
  std::array<double, 9> totalInertia{};
  std::array<double, 3> centreOfMass{};
  std::vector<int> faces;           // groups: node count, then node IDs
  std::vector<int> interfaceNodes;  // node IDs

  // Optional blocks; empty means absent.
  std::vector<Six> preStress;               // per node
  std::vector<double> preload;              // per mode
  std::vector<std::vector<double>> modalLoads;  // per case, per mode
  bool loadsProjected = true;               // projected on the principal axes
  std::vector<std::vector<NodalLoadPlan>> nodalLoads;
  std::vector<MonitorPointPlan> monitorPoints;
  std::vector<MatrixOperatorPlan> matrixOperators;
  std::vector<double> gyroscopic;           // modes x modes; empty: no rotor dynamics
  bool storeInvariant1 = false;
  double invariant1 = 0.0;
};

// A body of 8 nodes and 10 modes: six rigid-body modes, an isolated flexible
// mode, a repeated pair and one more isolated mode; stresses on every node,
// faces, interface nodes and one of each optional block unless `core`.
BodyPlan sampleBody(bool core = false);

// Writes the body to `path` through the C interface; false on any failure.
bool writeBody(const BodyPlan &plan, const std::string &path);

}  // namespace qvbtest
