// The checks of the body comparison and the node maps they share.
//
// Every check takes the new body first and the base body second and returns 0
// when it passed or did not apply, a negative number when it failed.
#pragma once

#include "qvb/qvb_interface.h"

#include <vector>

namespace qvb::compare {

// Mode kinds as the mode queries number them.
enum ModeKind { kShapeKind = 0, kStressKind = 1, kStrainKind = 2 };

// Maps from the new body's node positions to the base body's. They exist only
// while a comparison runs; the node-wise checks read them instead of searching.
struct NodeMaps {
  std::vector<int> nodes;         // new node index -> base node index
  std::vector<int> modeNodes[3];  // new mode-node position -> base mode-node index, per kind
};
const NodeMaps &nodeMaps();
NodeMaps &mutableNodeMaps();

// An array the library allocated, released when it goes out of scope. A
// missing array reads as zeros, like a block a body does not have.
template <typename T>
class LibraryArray {
 public:
  explicit LibraryArray(T *values) : values_(values) {}
  ~LibraryArray() {
    if (values_ != nullptr) QVB_FreeMemory(values_);
  }
  LibraryArray(const LibraryArray &) = delete;
  LibraryArray &operator=(const LibraryArray &) = delete;
  bool missing() const { return values_ == nullptr; }
  T at(long long k) const { return values_ != nullptr ? values_[k] : T{}; }

 private:
  T *values_;
};

// Whether block `blockNumber` (counted from 1) is present in the body.
inline bool blockExists(QVB_Handle body, int blockNumber) {
  return QVB_Exists(body, blockNumber - 1) != 0;
}

// The step that opens every optional-block check: true when the check should
// go on (both bodies have the block); a block in one body only is a warning.
bool bothHaveOptionalBlock(QVB_Handle newer, QVB_Handle base, int blockNumber,
                           const char *warning);

// Which base mode gives the reference term that keeps the relative eigenvalue
// tests (and the cluster gaps of the mode-shape check) from dividing by the
// near-zero eigenvalues of rigid-body modes: the seventh mode, the first one
// past the six rigid-body modes, when the base has it; otherwise the last
// compared mode, the largest eigenvalue available as a scale.
int referenceModeIndex(int baseModeCount, int comparedModes);

// Identity, units and topology.
void checkVersion(QVB_Handle newer, QVB_Handle base);
int checkHeader(QVB_Handle newer, QVB_Handle base);
void checkUnits(QVB_Handle newer, QVB_Handle base);
int checkGenStiffSparse(QVB_Handle newer, QVB_Handle base);
int checkGenMassSparse(QVB_Handle newer, QVB_Handle base);
int checkFaces(QVB_Handle newer, QVB_Handle base);
void checkTransformation(QVB_Handle newer, QVB_Handle base);
int checkInterfaceNodes(QVB_Handle newer, QVB_Handle base);

// Block existence notes; ends the process when coordinates or shapes are missing.
void checkBlockExistence(QVB_Handle newer, QVB_Handle base);

// Geometry, mass and modal data.
int checkNodes(QVB_Handle newer, QVB_Handle base);
int checkGlobalBodyProps(QVB_Handle newer, QVB_Handle base);
int checkEigenvalues(QVB_Handle newer, QVB_Handle base, std::vector<double> &baseEigenvalues);
int checkModeShapes(QVB_Handle newer, QVB_Handle base, const std::vector<double> &baseEigenvalues,
                    std::vector<int> &isolatedModes);
int checkNodalMasses(QVB_Handle newer, QVB_Handle base);
int checkNodalInertias(QVB_Handle newer, QVB_Handle base);

// Stresses, strains and invariants.
int checkModalStresses(QVB_Handle newer, QVB_Handle base, const std::vector<double> &baseEigenvalues);
int checkModalStrains(QVB_Handle newer, QVB_Handle base, const std::vector<double> &baseEigenvalues);
int checkInvariants(QVB_Handle newer, QVB_Handle base, const std::vector<int> &isolatedModes);
int checkPreStress(QVB_Handle newer, QVB_Handle base);
int checkPreStrain(QVB_Handle newer, QVB_Handle base);

// Loads, operators, monitor points and rotor dynamics.
int checkPreload(QVB_Handle newer, QVB_Handle base);
int checkModalLoads(QVB_Handle newer, QVB_Handle base);
int checkMatrixOperators(QVB_Handle newer, QVB_Handle base);
int checkModalLoadNodal(QVB_Handle newer, QVB_Handle base);
int checkMonitorPoints(QVB_Handle newer, QVB_Handle base);
int checkRotorDynamics(QVB_Handle newer, QVB_Handle base);

}  // namespace qvb::compare
