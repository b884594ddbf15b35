// The body comparison driver: lines up the nodes of a new body with those of
// a base body, runs every check in a fixed order and prints the verdict.
//
// The report goes to standard output with printf, not through the message
// channel: it is the product of the comparison, not a diagnostic, and scripts
// read it line by line ("->Fail ", "->Warning ", "->Note ", "  Pass ").
#include "qvb/qvb_compare.h"

#include "compare/compare_checks.h"
#include "compare/compare_report.h"
#include "qvb/qvb_messages.h"
#include "util/progress_report.h"

#include <exception>
#include <new>

namespace qvb::compare {
namespace {

NodeMaps gMaps;

const char *const kKindWords[3] = {"shape", "stress", "strain"};

// Fills the maps from the new body to the base body. A new node the base does
// not have abandons the comparison (the texts say "(Exit)" for historical
// reasons, but the process goes on).
bool buildNodeMaps(QVB_Handle newer, QVB_Handle base) {
  report(kPassLine, "->Building node map for nodes.\n");
  for (std::size_t i = 0; i < gMaps.nodes.size(); ++i) {
    const int id = QVB_NodeID(newer, static_cast<int>(i));
    const int baseIndex = QVB_NodeIndex(base, id);
    if (baseIndex < 0) {
      report(kFailLine, "->Fail Node %d does not exist in base file (Exit)\n\n", id);
      return false;
    }
    gMaps.nodes[i] = baseIndex;
  }
  for (int kind = kShapeKind; kind <= kStrainKind; ++kind) {
    report(kPassLine, "->Building node map for %s modes. \n", kKindWords[kind]);
    std::vector<int> &map = gMaps.modeNodes[kind];
    for (std::size_t j = 0; j < map.size(); ++j) {
      const int id = QVB_ModeNodeID(newer, kind, static_cast<int>(j));
      map[j] = QVB_ModeNodeIndex(base, kind, id);
      if (map[j] < 0) {
        report(kFailLine, "->Fail Node %d does not exist for %s modes in base file.\n", id,
               kKindWords[kind]);
        report(kFailLine, "->Try transposing input QVBs. (Exit)\n\n");
        return false;
      }
    }
  }
  return true;
}

void releaseNodeMaps() {
  gMaps.nodes = std::vector<int>();
  for (std::vector<int> &map : gMaps.modeNodes) map = std::vector<int>();
}

int runChecks(QVB_Handle newer, QVB_Handle base) {
  const int baseModes = countOrZero(QVB_ModeCount(base));
  std::vector<double> baseEigenvalues(static_cast<std::size_t>(baseModes), 0.0);
  std::vector<int> isolatedModes(static_cast<std::size_t>(baseModes), 0);

  // For a host that shows progress: the share of the checks done so far.
  constexpr double kChecks = 26;
  int verdict = 0;
  checkVersion(newer, base);
  verdict += checkHeader(newer, base);
  checkBlockExistence(newer, base);
  qvb::util::reportProgress("nodes", 3.0 / kChecks);
  verdict += checkNodes(newer, base);
  verdict += checkGlobalBodyProps(newer, base);
  qvb::util::reportProgress("eigenvalues", 5.0 / kChecks);
  verdict += checkEigenvalues(newer, base, baseEigenvalues);
  qvb::util::reportProgress("mode shapes", 6.0 / kChecks);
  verdict += checkModeShapes(newer, base, baseEigenvalues, isolatedModes);
  qvb::util::reportProgress("nodal masses", 7.0 / kChecks);
  verdict += checkNodalMasses(newer, base);
  verdict += checkNodalInertias(newer, base);
  checkUnits(newer, base);
  qvb::util::reportProgress("generalized matrices", 10.0 / kChecks);
  verdict += checkGenStiffSparse(newer, base);
  verdict += checkGenMassSparse(newer, base);
  qvb::util::reportProgress("faces", 12.0 / kChecks);
  verdict += checkFaces(newer, base);
  checkTransformation(newer, base);
  verdict += checkInterfaceNodes(newer, base);
  qvb::util::reportProgress("modal stresses", 15.0 / kChecks);
  verdict += checkModalStresses(newer, base, baseEigenvalues);
  qvb::util::reportProgress("invariants", 16.0 / kChecks);
  verdict += checkInvariants(newer, base, isolatedModes);
  verdict += checkPreload(newer, base);
  qvb::util::reportProgress("modal loads", 18.0 / kChecks);
  verdict += checkModalLoads(newer, base);
  qvb::util::reportProgress("modal strains", 19.0 / kChecks);
  verdict += checkModalStrains(newer, base, baseEigenvalues);
  verdict += checkPreStress(newer, base);
  verdict += checkPreStrain(newer, base);
  qvb::util::reportProgress("matrix operators", 22.0 / kChecks);
  verdict += checkMatrixOperators(newer, base);
  verdict += checkModalLoadNodal(newer, base);
  qvb::util::reportProgress("monitor points", 24.0 / kChecks);
  verdict += checkMonitorPoints(newer, base);
  verdict += checkRotorDynamics(newer, base);
  return verdict;
}

int compareBodies(QVB_Handle base, QVB_Handle newer, int verbosity, double toleranceValue) {
  setSettings(verbosity, toleranceValue);
  // Both bodies report in the same units from here on, whatever they were
  // written in, so a body translated in mm/g/ms compares with one in m/kg/s.
  QVB_SetUnits(newer, "kg", "m", "s", "n");
  QVB_SetUnits(base, "kg", "m", "s", "n");
  // Lets each backend build its node lookup before the maps query it.
  QVB_NodeIndex(newer, 0);
  QVB_NodeIndex(base, 0);

  gMaps.nodes.assign(static_cast<std::size_t>(countOrZero(QVB_NodeCount(newer))), 0);
  for (int kind = kShapeKind; kind <= kStrainKind; ++kind)
    gMaps.modeNodes[kind].assign(static_cast<std::size_t>(countOrZero(QVB_ModeNodeCount(newer, kind))), 0);

  int verdict = -1;
  qvb::util::reportProgress("node maps", 0.0);
  if (buildNodeMaps(newer, base)) verdict = runChecks(newer, base);
  qvb::util::reportProgress("done", 1.0);

  if (verdict < 0) report(kVerdictLine, "->Files differ\n\n");
  else report(kVerdictLine, " Files are equivalent\n\n");
  releaseNodeMaps();
  return verdict;
}

}  // namespace

const NodeMaps &nodeMaps() { return gMaps; }
NodeMaps &mutableNodeMaps() { return gMaps; }

bool bothHaveOptionalBlock(QVB_Handle newer, QVB_Handle base, int blockNumber, const char *warning) {
  const bool inNew = blockExists(newer, blockNumber);
  const bool inBase = blockExists(base, blockNumber);
  if (inNew != inBase) report(kNoteLine, "%s", warning);
  return inNew && inBase;
}

int referenceModeIndex(int baseModeCount, int comparedModes) {
  constexpr int kFirstFlexibleMode = 6;
  return baseModeCount > kFirstFlexibleMode ? kFirstFlexibleMode : comparedModes - 1;
}

// Notes on blocks that only one body has. Coordinates and mode shapes are
// what every other check stands on, so lacking either ends the process.
void checkBlockExistence(QVB_Handle newer, QVB_Handle base) {
  struct Block {
    int number;
    const char *name;
  };
  static const Block kBlocks[] = {
      {1, "version_code"},       {2, "header"},
      {3, "content_summary"},    {4, "nodal_coords"},
      {5, "element_topology"},   {6, "global_body_props"},
      {7, "eigenvalues"},        {8, "mode_shapes"},
      {9, "nodal_masses"},       {10, "nodal_inertias"},
      {11, "units"},             {12, "generalized_stiff"},
      {13, "generalized_mass"},  {14, "element_faces"},
      {15, "generalized_damping"}, {16, "mode_shape_transformation"},
      {17, "interface_nodes"},   {18, "modal_stress"},
      {19, "invar1"},            {20, "invar2"},
      {21, "invar3"},            {22, "invar4"},
      {23, "invar5"},            {24, "invar7"},
      {25, "invar8"},            {26, "invar9"},
      {27, "preload"},           {28, "modal_loads"},
      {29, "modal_strain"},      {30, "modal_statistics"},
      {31, "pre_stress"},        {32, "pre_strain"},
      {34, "matrix_operator"},   {35, "modal_load_nodal"},
      {36, "monitor_point"},     {37, "rotor_dynamics"},
  };
  for (const Block &block : kBlocks) {
    const int inNew = QVB_Exists(newer, block.number - 1);
    const int inBase = QVB_Exists(base, block.number - 1);
    if (inNew != inBase)
      report(kNoteLine, "->Note block %d %s: exists new: %d  exists base: %d\n", block.number,
             block.name, inNew, inBase);
    if (block.number == 4 && (!inNew || !inBase)) {
      report(kFailLine, "->Fail no nodal_coords (Exit)");
      terminateComparison();
    }
    if (block.number == 8 && (!inNew || !inBase)) {
      report(kFailLine, "->Fail no mode_shapes (Exit)");
      terminateComparison();
    }
  }
}

}  // namespace qvb::compare

extern "C" {

QVB_API int QVB_Compare(QVB_Handle base, QVB_Handle newer, int verbosity, double tolerance) {
  // Without a body every block would look missing and the comparison would
  // end the process; a missing handle is the caller's mistake, not a verdict.
  if (base == nullptr || newer == nullptr) {
    QVB_Error("QVB_Compare: the %s body handle is null; nothing was compared.", base == nullptr ? "base" : "new");
    return -1;
  }
  // Running out of memory for the maps or working arrays abandons the
  // comparison with a message and the verdict "differ", never a crash.
  try {
    return qvb::compare::compareBodies(base, newer, verbosity, tolerance);
  } catch (const std::bad_alloc &) {
    qvb::compare::releaseNodeMaps();
    QVB_Error("Body comparison: out of memory; the bodies were not compared.");
  } catch (const std::exception &error) {
    qvb::compare::releaseNodeMaps();
    QVB_Error("Body comparison failed: %s", error.what());
  }
  return -1;
}

QVB_API int block_6__global_body_props(QVB_Handle newer, QVB_Handle base) {
  try {
    return qvb::compare::checkGlobalBodyProps(newer, base);
  } catch (const std::exception &error) {
    QVB_Error("Global body properties comparison failed: %s", error.what());
  }
  return -1;
}

QVB_API const char *qvbcompare_VersionId(void) {
  static const char kVersionId[] = "qvbcompare 1.0.0 (block-by-block flexible body comparison)";
  return kVersionId;
}

}  // extern "C"
