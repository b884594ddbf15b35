// A small flexible body held as plain arrays and served to the converter
// through the recording fake backend. Tests compute every expected number
// from these arrays, independently of the converter.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "qvb.h"

namespace convert_test {

using Vec3 = std::array<double, 3>;

struct ModelBody {
  bool doublePrecision = true;
  std::string title = "Wing panel", text2 = "fe-run-7";
  // Nodes, by node index.
  std::vector<int> nodeIds;
  std::vector<Vec3> coords;
  std::vector<double> masses;  // empty: the body has no nodal masses
  std::vector<int> interfaceNodes;  // node indices
  // Modes, by mode index; mode numbers are index + 1.
  std::vector<double> eigenvalues;
  std::vector<std::vector<Vec3>> translation, rotation;  // [mode][node]
  double invar1 = 0.0;
  std::vector<double> invar2, invar3, invar4, invar6, invar7, invar8;  // invar8: 9 per mode
  bool storedInvar59 = false;
  std::vector<std::vector<double>> invar5;  // per mode index: 3*M
  std::vector<std::vector<double>> invar9;  // per pair (i*M + j): 9
  std::vector<double> stiffness;            // M*M, row-major by mode index
  // Damping over the six rigid rows then the modes: (M+6)^2.
  int dampingEntries = 0;
  bool dampingReadable = true;
  std::vector<double> damping;
  std::optional<std::vector<double>> preload;  // by mode index
  std::vector<std::vector<double>> loads;      // per case: 6 + ... by mode index
  int rigidModes = 6;
  bool rotor = false;
  Vec3 axisFirst{}, axisSecond{};
  std::array<std::optional<std::vector<double>>, 3> rotorMatrices;
  std::vector<std::vector<int>> freeEdges;
  std::vector<int> faces;  // groups: count, indices...
  std::array<double, 4> units{1.0, 1.0, 1.0, 1.0};  // mass, length, time, force in SI
  bool unitsAccepted = true;
  int writeResult = 1;

  int modeCount() const { return static_cast<int>(eigenvalues.size()); }
  int nodeCount() const { return static_cast<int>(nodeIds.size()); }

  // Installs the hooks that answer from this body (which must outlive the
  // fake session) and returns a fresh body handle.
  QVB_Handle serve();
};

// A body of four nodes and three modes with every optional block filled
// with distinct, non-trivial values.
ModelBody richBody();

}  // namespace convert_test
