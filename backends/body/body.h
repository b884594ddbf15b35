// The in-memory flexible body shared by both storage backends.
//
// A body holds the 37 numbered blocks of a flexible body (there is no block
// 33). Values are kept in the body's stored unit system, exactly as they were
// read or set; the slot layer converts them to and from the current units.
// Large data live in contiguous arrays: one vector of doubles per mode and
// result kind, node-major (six values per mode node), so that a body of 10^6
// nodes and hundreds of modes costs a few hundred allocations, not billions.
//
// Nodes are named by ID and addressed by index (their position in the node
// list); modes are named by number and addressed by index (the order in which
// they first appeared). Per-mode arrays are indexed by mode index and grow at
// the end when a new mode appears.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "mode_values.h"
#include "units.h"

namespace qvb::body {

// Block numbers (QVB_Exists asks for number - 1).
enum Block {
  kVersionBlock = 1, kHeaderBlock, kContentSummary, kNodalCoords, kElementTopology,
  kGlobalBodyProps, kEigenvalues, kModeShapes, kNodalMasses, kNodalInertias, kUnitsBlock,
  kGeneralizedStiff, kGeneralizedMass, kElementFaces, kGeneralizedDamping,
  kModeShapeTransformation, kInterfaceNodes, kModalStress, kInvar1, kInvar2, kInvar3, kInvar4,
  kInvar5, kInvar7, kInvar8, kInvar9, kPreload, kModalLoads, kModalStrain, kModalStatistics,
  kPreStress, kPreStrain, kMatrixOperator = 34, kModalLoadNodal, kMonitorPoint, kRotorDynamics
};
constexpr int kLastBlock = 37;
// The name of block n as reports print it ("nodal_coords"); "" for 33 and
// numbers outside 1..37. Everything else about a block: block_table.h.
const char *blockName(int block);

// Result kinds of the mode operations.
enum ResultKind { kShape = 0, kStress = 1, kStrain = 2 };

// A set of IDs with their positions, looked up through a hash map that is
// built on first use, so that reading a large body does not pay for it.
class IdIndex {
 public:
  const std::vector<int> &ids() const { return ids_; }
  std::vector<int> &mutableIds() { valid_ = false; return ids_; }
  int size() const { return static_cast<int>(ids_.size()); }
  // Position of an ID, or -1.
  int find(int id) const;
  // Appends an ID that is not present yet; returns its position.
  int append(int id);
  void invalidate() { valid_ = false; }

 private:
  std::vector<int> ids_;
  mutable std::unordered_map<int, int> positions_;
  mutable bool valid_ = false;
};

// Per-mode values of one result kind: six doubles per mode node (translational
// then rotational, or normal then shear), node-major, one vector per mode.
struct ModeKindData {
  IdIndex nodes;
  std::vector<ModeValues> modes;  // by mode index; empty = not set
  ModeValues initial;             // "mode 0": pre-stress / pre-strain
  int doublePrecision = 1;                 // as the producer asked for it
  bool hasModeValues() const;
  // Position of a node ID, appended (with zero values) when new.
  int nodePosition(int nodeId);
};

// A matrix over the modes (n x n cells of `width` doubles), row-major by mode
// index; grows when modes are added.
struct ModeMatrix {
  int size = 0;
  int width = 1;
  std::vector<double> values;
  bool empty() const { return values.empty(); }
  void clear() { size = 0; values.clear(); }
  // Makes room for `modes` modes, keeping what is stored.
  void resize(int modes);
  double *cell(int row, int column) { return &values[(static_cast<size_t>(row) * size + column) * width]; }
  const double *cell(int row, int column) const {
    return &values[(static_cast<size_t>(row) * size + column) * width];
  }
};

// Values per mode (`width` doubles per mode index), growing with the modes.
struct ModeVector {
  int width = 1;
  std::vector<double> values;
  bool empty() const { return values.empty(); }
  int size() const { return static_cast<int>(values.size() / width); }
  void resize(int modes) { values.resize(static_cast<size_t>(modes) * width, 0.0); }
  double *at(int mode) { return &values[static_cast<size_t>(mode) * width]; }
  const double *at(int mode) const { return &values[static_cast<size_t>(mode) * width]; }
};

// Sparse generalized matrix, keyed by (row mode number, column mode number).
using SparseModeMatrix = std::map<std::pair<int, int>, double>;

struct Header {
  std::string title, text2, text3, fileType, comment1, comment2, comment3;
};

struct GlobalProps {
  bool present = false;
  double mass = 0.0;
  std::array<double, 9> inertia{};  // about the centre of mass, row-major
  std::array<double, 3> centre{};
};

struct Invariants {
  bool has[10] = {};  // by invariant number (1..9; 6 unused)
  double i1 = 0.0;
  std::array<double, 3> i2{};
  ModeVector i3{3, {}}, i4{3, {}}, i8{9, {}};
  ModeMatrix i5{0, 3, {}}, i9{0, 9, {}};  // invariant 6 is the generalized mass
  std::array<double, 9> i7{};
};

struct ModalLoadCase {
  std::string label;
  int processed = 0;
  std::vector<double> values;  // by mode index
};

struct NodalLoadCase {
  std::vector<int> nodeIds;
  std::vector<int> coordinates;  // 1..3 force components, 4..6 moment components
  std::vector<double> values;
};

// Largest response of a mode: value and the node ID where it occurs.
struct ModeStatistics {
  double displacement = 0.0, rotation = 0.0, stress = 0.0, strain = 0.0;
  int displacementNode = 0, rotationNode = 0, stressNode = 0, strainNode = 0;
};

struct MonitorPoint {
  int type = 0, resultType = 0, component = 0;
  std::vector<int> nodeIds;  // one per operator row
  std::string name, label;
  // Operators of kinds 1..4 (displacement, velocity, acceleration, load):
  // rows x columns doubles, row-major; columns is the mode count when set.
  std::array<std::vector<double>, 5> operators;
  std::array<int, 5> columns{};
  int rows() const { return static_cast<int>(nodeIds.size()); }
};

struct SubOperator {
  std::string tag;
  int columns = 0;
  std::vector<double> values;  // rows x columns, row-major
};

struct MatrixOperator {
  std::string name;
  std::vector<std::string> labels;  // one per row
  std::vector<SubOperator> subs;
};

struct RotorDynamics {
  bool hasAxis = false;
  std::array<double, 3> centre{}, direction{};
  std::array<ModeMatrix, 3> matrices;  // gyroscopic, circulation, differential stiffness
  bool present() const;
};

class Body {
 public:
  Body();

  // ---- modes -------------------------------------------------------------
  int modeCount() const { return static_cast<int>(modeNumbers_.ids().size()); }
  const std::vector<int> &modeNumbers() const { return modeNumbers_.ids(); }
  int modeIndex(int modeNumber) const { return modeNumbers_.find(modeNumber); }
  // Index of a mode number, adding the mode when it is new (numbers > 0).
  int ensureMode(int modeNumber);
  // Replaces the mode list (decoding); per-mode data must follow it.
  void setModeNumbers(std::vector<int> numbers);

  // ---- nodes -------------------------------------------------------------
  int nodeCount() const { return nodes.size(); }
  int nodeIndex(int id) const { return nodes.find(id); }
  // Index of a node ID, adding the node at the origin when it is new.
  int ensureNode(int id);
  // Renames node IDs everywhere they occur (nodes, mode nodes, faces,
  // interface nodes, nodal loads, monitor points, element topology).
  void renameNodes(const std::unordered_map<int, int> &newIds);

  // ---- derived values ----------------------------------------------------
  // Eigenvalue (omega^2, stored units) of a mode index: the stored eigenvalue
  // block, or generalized stiffness over generalized mass from the diagonals.
  double eigenvalue(int modeIndex) const;
  bool hasEigenvalues() const;
  // Recomputes the eigenvalue block from the diagonals (kept as it is when
  // the body holds no generalized stiffness).
  void rebuildEigenvalues();
  double sparseEntry(const SparseModeMatrix &m, int rowNumber, int columnNumber) const;
  // Diagonal of generalized mass for a mode index (1 for a body that holds no
  // generalized mass: such a body is taken as mass-normalised).
  double generalizedMassDiagonal(int modeIndex) const;
  double generalizedStiffnessDiagonal(int modeIndex) const;
  // Scales everything that is linear in the modal coordinate of one mode
  // (shapes, stresses, strains, invariants, loads, operators) by f, and the
  // quadratic data (generalized matrices, invariants 5, 6, 9) accordingly.
  void scaleMode(int modeIndex, double f);
  // Modes below 0.01 rad/s, or the leading ones (at most six) below 1e-3 of the next.
  int rigidBodyModeCount() const;
  ModeStatistics statistics(int modeIndex) const;

  // Inertia invariants: stored block or computed from nodal masses, nodal
  // inertias and mode shapes. Arrays as the slots return them: invariants 3
  // and 4 component-major (3 x M), invariant 5 of one mode 3 x M, 6 M x M,
  // 7, 8, 9 row-major 3 x 3.
  bool canComputeInvariants() const { return !nodalMass.empty(); }
  double invariant1() const;
  std::array<double, 3> invariant2() const;
  std::vector<double> invariant34(int which) const;
  std::vector<double> invariant5(int modeIndex) const;
  std::vector<double> invariant6() const;
  std::array<double, 9> invariant7() const;
  std::array<double, 9> invariant8(int modeIndex) const;
  std::array<double, 9> invariant9(int modeI, int modeJ) const;
  // Computed invariants are formed for all modes (3, 4 and 8) or all pairs of
  // modes (5 and 9) at once on first use and kept; whatever changes the body
  // must forget them.
  void forgetComputedInvariants() const {
    computed59Valid_ = false;
    computed348Valid_ = false;
  }
  // Total mass, inertia about the centre of mass and the centre of mass:
  // the global properties block, else from invariants 1, 2, 7.
  void totalMassInertia(double *mass, double inertia[9], double centre[3]) const;

  // ---- geometry ----------------------------------------------------------
  // Applies x' = R x + t (R orthogonal, possibly a reflection) to every
  // geometric quantity, keeping shapes, stresses and invariants consistent.
  void transform(const double rotation[9], const double translation[3]);
  // Boundary loops of the face mesh, as lists of node IDs.
  const std::vector<std::vector<int>> &freeEdges() const;
  void invalidateDerived() { freeEdgesValid_ = false; }
  // Removes internal faces (faces listed twice) and the element topology.
  void removeInternalGeometry();

  // ---- existence ---------------------------------------------------------
  bool exists(int block) const;
  // Whether the body holds any data whose value depends on the unit system.
  bool holdsUnitData() const;

  // ---- the blocks --------------------------------------------------------
  int version = 1;
  Header header;
  int coarsened = 0;
  int massNormalize = 0;
  IdIndex nodes;
  std::vector<double> coordinates;   // 3 per node
  std::vector<int> elementTopology;  // opaque to this library: kept as read
  GlobalProps global;
  std::vector<double> eigenvalues;   // by mode index; empty: from the diagonals
  ModeKindData kinds[3];
  std::vector<double> nodalMass;     // per node, or empty
  std::vector<double> nodalInertia;  // 6 per node (xx yy zz xy xz yz), or empty
  UnitSystem storedUnits, currentUnits;
  SparseModeMatrix genStiffness, genMass, genDamping;
  std::vector<int> faces;            // groups: vertex count, then node IDs
  ModeMatrix transformation{0, 1, {}};
  std::vector<int> interfaceNodes;   // node IDs
  Invariants invariants;
  bool hasPreload = false;
  int preloadProcessed = 0;
  std::vector<double> preload;       // by mode index
  std::vector<ModalLoadCase> modalLoads;
  std::vector<ModeStatistics> modalStatistics;  // stored block, by mode index
  std::vector<NodalLoadCase> nodalLoads;
  std::vector<MonitorPoint> monitorPoints;
  std::vector<MatrixOperator> matrixOperators;
  RotorDynamics rotor;

 private:
  void growModeData(int modes);
  IdIndex modeNumbers_;
  mutable std::vector<std::vector<int>> freeEdges_;
  mutable bool freeEdgesValid_ = false;
  void computeInvariants59() const;
  mutable std::vector<double> computed5_, computed9_;  // layouts as invariant5 / invariant9, all modes
  mutable bool computed59Valid_ = false;
  void computeInvariants348() const;
  // Layouts as invariant34 (3 x M, component-major) and invariant8 (M x 9).
  mutable std::vector<double> computed3_, computed4_, computed8_;
  mutable bool computed348Valid_ = false;
};

}  // namespace qvb::body
