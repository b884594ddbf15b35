// Modal stress and strain checks, and the pre-stress and pre-strain checks.
// Values are compared as von Mises equivalents per node, so a change of the
// stress axes that leaves the equivalent stress alone is not a difference.
#include "compare/compare_checks.h"
#include "compare/compare_report.h"

#include <algorithm>
#include <cmath>

namespace qvb::compare {
namespace {

// Normal and shear components of one mode of one body, three per mode node.
// One per body for all modes, reused: fresh buffers per mode would fault in
// every page of every mode on large bodies (page faults: bench/README.md).
struct ModeComponents {
  std::vector<double> normal;
  std::vector<double> shear;
  int nodes;

  explicit ModeComponents(int nodeCount)
      : normal(zeroBuffer<double>(3LL * nodeCount)), shear(zeroBuffer<double>(3LL * nodeCount)),
        nodes(nodeCount) {}
  void load(QVB_Handle body, int kind, int modeNumber) {
    if (nodes <= 0) return;
    std::fill(normal.begin(), normal.end(), 0.0);  // what the body does not fill stays zero
    std::fill(shear.begin(), shear.end(), 0.0);
    QVB_Mode(body, modeNumber, kind, normal.data(), 0);
    QVB_Mode(body, modeNumber, kind, shear.data(), 1);
  }
  double vonMisesAt(int node) const { return vonMises(&normal[3 * node], &shear[3 * node]); }
  bool has(int node) const { return node >= 0 && node < nodes; }
};

struct ModalResultTexts {
  int kind;
  int block;
  const char *missingBlock;
  const char *tooFewNodes;
  const char *moreNodes;
  const char *nullMode;
  const char *modeFail;
  const char *modePass;
};

int checkModalResults(QVB_Handle newer, QVB_Handle base, const std::vector<double> &baseEigenvalues,
                      const ModalResultTexts &texts) {
  if (!bothHaveOptionalBlock(newer, base, texts.block, texts.missingBlock)) return 0;
  const int newNodes = countOrZero(QVB_ModeNodeCount(newer, texts.kind));
  const int baseNodes = countOrZero(QVB_ModeNodeCount(base, texts.kind));
  if (baseNodes < newNodes) {
    report(kFailLine, texts.tooFewNodes, baseNodes, newNodes);
    report(kFailLine, "->Try transposing input QVBs. (Exit)\n\n");
    terminateComparison();
  }
  if (baseNodes > newNodes) report(kNoteLine, texts.moreNodes, baseNodes, newNodes);

  const int modes = std::min(countOrZero(QVB_ModeCount(newer)), countOrZero(QVB_ModeCount(base)));
  // Rigid-body modes carry no stress worth comparing: start at the first mode
  // whose base eigenvalue is above the tolerance.
  int first = 0;
  while (first < modes && !(baseEigenvalues[static_cast<std::size_t>(first)] > tolerance())) ++first;

  const std::vector<int> &map = nodeMaps().modeNodes[texts.kind];
  int failures = 0;
  ModeComponents newValues(newNodes), baseValues(baseNodes);
  for (int mode = first; mode < modes; ++mode) {
    const int number = QVB_ModeNumber(base, mode);
    newValues.load(newer, texts.kind, number);
    baseValues.load(base, texts.kind, number);
    double maxBase = 0.0, maxDifference = 0.0;
    for (int p = 0; p < newNodes && static_cast<std::size_t>(p) < map.size(); ++p) {
      if (!baseValues.has(map[p])) continue;
      const double baseVm = baseValues.vonMisesAt(map[p]);
      maxBase = std::max(maxBase, baseVm);
      maxDifference = std::max(maxDifference, std::fabs(newValues.vonMisesAt(p) - baseVm));
    }
    if (maxBase == 0.0 || newNodes == 0) {
      report(kFailLine, texts.nullMode, number);
      maxBase = 1.0;
    }
    const double delta = maxDifference / std::fmax(1.0, maxBase);
    report(kPassLine, delta > tolerance() ? texts.modeFail : texts.modePass, number);
    report(kPassLine, "  Von Mises Delta: %e\n", delta);
    if (delta > tolerance()) ++failures;
  }
  return -failures;
}

}  // namespace

int checkModalStresses(QVB_Handle newer, QVB_Handle base, const std::vector<double> &baseEigenvalues) {
  static const ModalResultTexts kStress = {
      kStressKind, 18, "->Warning: No comparison performed on block 18 modal_stress\n",
      "->Fail NodeCount for Stress modes in base: %d < new: %d \n",
      "->Warning NodeCount for Stress modes base: %d  new: %d\n",
      "->Note: Null stress shape in base for mode: %d\n", "->Fail Stress Mode: #%d", "  Pass Stress Mode: #%d"};
  return checkModalResults(newer, base, baseEigenvalues, kStress);
}

int checkModalStrains(QVB_Handle newer, QVB_Handle base, const std::vector<double> &baseEigenvalues) {
  static const ModalResultTexts kStrain = {
      kStrainKind, 29, "->Warning: No comparison performed on block 29 modal_strain\n",
      "->Fail NodeCount for Strain modes in base: %d < new: %d \n",
      "->Warning NodeCount for Strain modes base: %d  new: %d\n",
      "->Note: Null strain shape in base for mode: %d\n", "->Fail Strain Mode: #%d", "  Pass Strain Mode: #%d"};
  return checkModalResults(newer, base, baseEigenvalues, kStrain);
}

namespace {

struct PreloadTexts {
  int kind;
  int block;
  const char *missingBlock;
  const char *countWarning;
  const char *nullNote;
  const char *failLabel;
  const char *passLabel;
  bool toleranceFloor;  // pre-strains are small numbers: scale by the tolerance, not by 1.0
};

// Compares the state the body starts from (stored as mode number 0) component
// by component. Components are numbered 1, 2, 3 for the normal and 4, 5, 6 for
// the shear values in the reported location.
int checkInitialState(QVB_Handle newer, QVB_Handle base, const PreloadTexts &texts) {
  if (!bothHaveOptionalBlock(newer, base, texts.block, texts.missingBlock)) return 0;
  const int newNodes = countOrZero(QVB_ModeNodeCount(newer, texts.kind));
  const int baseNodes = countOrZero(QVB_ModeNodeCount(base, texts.kind));
  if (newNodes != baseNodes) report(kNoteLine, texts.countWarning, baseNodes, newNodes);

  ModeComponents newValues(newNodes), baseValues(baseNodes);
  newValues.load(newer, texts.kind, 0);
  baseValues.load(base, texts.kind, 0);
  const std::vector<int> &map = nodeMaps().modeNodes[texts.kind];
  const int compared = std::min(newNodes, static_cast<int>(map.size()));

  double largestBase = 0.0;
  for (int p = 0; p < compared; ++p)
    if (baseValues.has(map[p])) largestBase = std::max(largestBase, baseValues.vonMisesAt(map[p]));
  if (largestBase == 0.0 || compared == 0) report(kFailLine, "%s", texts.nullNote);
  const double scale = 1.0 / std::fmax(texts.toleranceFloor ? tolerance() : 1.0, largestBase);

  int failures = 0;
  double reported = 0.0;
  int reportedNode = compared > 0 ? QVB_ModeNodeID(newer, texts.kind, 0) : 0;
  int reportedComponent = 1;
  bool first = true;
  for (int p = 0; p < compared; ++p) {
    if (!baseValues.has(map[p])) continue;
    const double *newParts[2] = {&newValues.normal[3 * p], &newValues.shear[3 * p]};
    const double *baseParts[2] = {&baseValues.normal[3 * map[p]], &baseValues.shear[3 * map[p]]};
    for (int component = 0; component < 6; ++component) {
      const double difference = std::fabs(newParts[component / 3][component % 3] - baseParts[component / 3][component % 3]);
      if (first) {
        reported = difference;
        first = false;
      }
      if (!(difference * scale > tolerance())) continue;
      ++failures;
      if (difference > reported) {
        reported = difference;
        reportedNode = QVB_ModeNodeID(newer, texts.kind, p);
        reportedComponent = component + 1;
      }
    }
  }
  if (failures > 0) {
    report(kPassLine, texts.failLabel, reportedNode, reportedComponent);
  } else {
    report(kPassLine, "%s", texts.passLabel);
  }
  reportDelta(kPassLine, reported);
  return -failures;
}

}  // namespace

int checkPreStress(QVB_Handle newer, QVB_Handle base) {
  static const PreloadTexts kPreStress = {
      kStressKind, 31, "->Warning: No comparison performed on block 31 pre_stress\n",
      "->Warning Pre-Stress NodeCount differ... base: %d  new: %d\n", "->Note: Null pre-stress in base\n",
      "->Fail Pre-Stress Max at Node: #%d Comp: #%d", "  Pass Pre-Stresses", false};
  return checkInitialState(newer, base, kPreStress);
}

int checkPreStrain(QVB_Handle newer, QVB_Handle base) {
  static const PreloadTexts kPreStrain = {
      kStrainKind, 32, "->Warning: No comparison performed on block 32 pre_strain\n",
      "->Warning Pre-Strain NodeCount differ... base: %d  new: %d\n", "->Note: Null pre-strain in base\n",
      "->Fail Pre-Strain Max at Node: #%d Comp: #%d", "  Pass Pre-Strains", true};
  return checkInitialState(newer, base, kPreStrain);
}

}  // namespace qvb::compare
