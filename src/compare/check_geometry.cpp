// Geometry, mass and eigenvalue checks: node coordinates, global body
// properties, eigenvalues with their per-mode scalars, nodal masses and
// nodal inertias.
#include "compare/compare_checks.h"
#include "compare/compare_report.h"

#include <algorithm>
#include <cmath>

namespace qvb::compare {

int checkNodes(QVB_Handle newer, QVB_Handle base) {
  const int baseCount = QVB_NodeCount(base);
  const int newCount = QVB_NodeCount(newer);
  if (baseCount < newCount) {
    report(kFailLine, "->Fail NodeCount base: %d < new: %d  (Exit)\n\n", baseCount, newCount);
    terminateComparison();
  }
  if (baseCount != newCount) report(kNoteLine, "->Warning NodeCount base: %d  new: %d\n", baseCount, newCount);
  else report(kPassLine, "  Pass NodeCount: %d\n", newCount);

  const std::vector<int> &map = nodeMaps().nodes;
  DifferenceMeasure measure;
  for (std::size_t i = 0; i < map.size(); ++i) {
    double newXyz[3] = {0.0, 0.0, 0.0};
    double baseXyz[3] = {0.0, 0.0, 0.0};
    QVB_NodeCoordinates(newer, static_cast<int>(i), newXyz);
    QVB_NodeCoordinates(base, map[i], baseXyz);
    measure.addAll(newXyz, baseXyz, 3);
  }
  return reportDeltaTest("->Fail NodeCoordinates", "  Pass NodeCoordinates", measure.delta()) ? -1 : 0;
}

// TotalI is measured by the largest absolute difference of the nine tensor
// components, scaled by the mean of the base diagonal (floored at 1.0): one
// badly translated product of inertia is as wrong as a bad principal moment.
int checkGlobalBodyProps(QVB_Handle newer, QVB_Handle base) {
  double newMass = 0.0, baseMass = 0.0;
  double newInertia[9] = {0.0}, baseInertia[9] = {0.0};
  double newCentre[3] = {0.0}, baseCentre[3] = {0.0};
  QVB_TotalMassInertia(newer, &newMass, newInertia, newCentre);
  QVB_TotalMassInertia(base, &baseMass, baseInertia, baseCentre);

  int result = 0;
  // Relative without a floor: a total mass is never meant to be near 1 kg.
  const double massDelta = std::fabs((newMass - baseMass) / baseMass);
  if (reportDeltaTest("->Fail TotalMass", "  Pass TotalMass", massDelta)) result = -1;

  double inertiaDifference = 0.0;
  for (int k = 0; k < 9; ++k)
    inertiaDifference = std::max(inertiaDifference, std::fabs(newInertia[k] - baseInertia[k]));
  const double meanDiagonal = (baseInertia[0] + baseInertia[4] + baseInertia[8]) / 3.0;
  const double inertiaDelta = inertiaDifference / std::fmax(1.0, meanDiagonal);
  if (reportDeltaTest("->Fail TotalI", "  Pass TotalI", inertiaDelta)) result = -1;

  DifferenceMeasure centre;
  centre.addAll(newCentre, baseCentre, 3);
  if (reportDeltaTest("->Fail TotalCM", "  Pass TotalCM", centre.delta())) result = -1;
  return result;
}

namespace {

// The five per-mode values of one body, each list with one entry per base mode.
struct EigenLists {
  std::vector<double> value[5];  // eigenvalue, frequency, radians, gen. mass, gen. stiffness
  explicit EigenLists(std::size_t size) {
    for (std::vector<double> &list : value) list.assign(size, 0.0);
  }
  void read(QVB_Handle body, int index) {
    const std::size_t i = static_cast<std::size_t>(index);
    QVB_Eigenvalue(body, QVB_ModeNumber(body, index), &value[0][i], &value[1][i], &value[2][i],
                   &value[3][i], &value[4][i]);
  }
};

enum EigenField { kEigenvalue = 0, kFrequency = 1, kRadians = 2, kGenMass = 3, kGenStiff = 4 };

// Largest relative change of one per-mode value; the reference term keeps the
// near-zero values of rigid-body modes from dividing by (almost) nothing.
double largestModeChange(const EigenLists &newer, const EigenLists &base, EigenField field, int modes,
                         bool withReference, int referenceIndex) {
  const std::vector<double> &n = newer.value[field];
  const std::vector<double> &b = base.value[field];
  if (modes <= 0) return 0.0;
  const double reference = withReference ? b[static_cast<std::size_t>(referenceIndex)] : 0.0;
  double largest = 0.0;
  for (int i = 0; i < modes; ++i) {
    const double change = std::fabs((n[i] - b[i]) / (b[i] + reference));
    if (change > largest) largest = change;
  }
  return largest;
}

}  // namespace

int checkEigenvalues(QVB_Handle newer, QVB_Handle base, std::vector<double> &baseEigenvalues) {
  if (!blockExists(newer, 7) && !blockExists(base, 7)) {
    report(kPassLine, "  Pass Eigenvalues\n");
    return 0;
  }
  const int newModes = countOrZero(QVB_ModeCount(newer));
  const int baseModes = countOrZero(QVB_ModeCount(base));
  const int modes = std::min(newModes, baseModes);
  EigenLists baseLists(static_cast<std::size_t>(baseModes));
  EigenLists newLists(static_cast<std::size_t>(baseModes));
  for (int i = 0; i < modes; ++i) {
    baseLists.read(base, i);
    baseEigenvalues[static_cast<std::size_t>(i)] = baseLists.value[kEigenvalue][static_cast<std::size_t>(i)];
    newLists.read(newer, i);
  }

  if (newModes != baseModes) report(kNoteLine, "->Warning ModeCount\n");
  else report(kPassLine, "  Pass ModeCount\n");

  const int reference = modes > 0 ? referenceModeIndex(baseModes, modes) : 0;
  const std::vector<double> &n = newLists.value[kEigenvalue];
  const std::vector<double> &b = baseLists.value[kEigenvalue];
  bool failed = false;
  bool eigenvalueFailed = false;
  for (int i = 0; i < modes; ++i) {
    const double delta = std::fabs((n[i] - b[i]) / (b[i] + b[static_cast<std::size_t>(reference)]));
    if (delta > tolerance()) {
      report(kNoteLine, "->Fail EigenValue: #%d", QVB_ModeNumber(newer, i));
      reportDelta(kNoteLine, delta);
      eigenvalueFailed = true;
    } else {
      report(kPassLine, "  Pass EigenValue: #%d", QVB_ModeNumber(newer, i));
      reportDelta(kPassLine, delta);
    }
  }
  if (eigenvalueFailed) {
    report(kFailLine, "->Fail Eigenvalues\n");
    failed = true;
  }
  struct ScalarTest {
    EigenField field;
    bool withReference;
    const char *failLabel;
    const char *passLabel;
  };
  static const ScalarTest kTests[] = {
      {kFrequency, true, "->Fail Frequency", "  Pass Frequency"},
      {kRadians, true, "->Fail Radians", "  Pass Radians"},
      {kGenStiff, true, "->Fail GeneralizedStiff", "  Pass GeneralizedStiff"},
      {kGenMass, false, "->Fail GeneralizedMass", "  Pass GeneralizedMass"},
  };
  for (const ScalarTest &test : kTests) {
    const double delta = largestModeChange(newLists, baseLists, test.field, modes, test.withReference, reference);
    // These per-mode scalars fail at level 1: the eigenvalue summary line
    // already carries the level-0 failure.
    if (reportDeltaTest(test.failLabel, test.passLabel, delta, kNoteLine)) failed = true;
  }
  return failed ? -1 : 0;
}

int checkNodalMasses(QVB_Handle newer, QVB_Handle base) {
  const std::vector<int> &map = nodeMaps().nodes;
  std::vector<double> newMasses(map.size()), baseMasses(map.size());
  bool newAllZero = true, baseAllZero = true;
  for (std::size_t i = 0; i < map.size(); ++i) {
    newMasses[i] = QVB_NodalMass(newer, static_cast<int>(i));
    baseMasses[i] = QVB_NodalMass(base, map[i]);
    if (newMasses[i] != 0.0) newAllZero = false;
    if (baseMasses[i] != 0.0) baseAllZero = false;
  }
  // Bodies written with the invariant-only options carry no nodal masses;
  // that is a modelling choice, not a difference.
  if (newAllZero)
    report(kNoteLine, "->Warning all NodalMass=0 in new file, 'fast_invar' or 'full_invar' may have been used\n");
  if (baseAllZero)
    report(kNoteLine, "->Warning all NodalMass=0 in base QVB file, 'fast_invar' or 'full_invar' may have been used\n");
  if (newAllZero || baseAllZero) {
    report(kNoteLine, "->Warning NodalMass not checked\n");
    return 0;
  }
  DifferenceMeasure measure;
  measure.addAll(newMasses.data(), baseMasses.data(), static_cast<int>(map.size()));
  return reportDeltaTest("->Fail NodalMass", "  Pass NodalMass", measure.delta()) ? -1 : 0;
}

int checkNodalInertias(QVB_Handle newer, QVB_Handle base) {
  const std::vector<int> &map = nodeMaps().nodes;
  DifferenceMeasure measure;
  for (std::size_t i = 0; i < map.size(); ++i) {
    double newTensor[9] = {0.0}, baseTensor[9] = {0.0};
    if (QVB_NodalInertia(newer, static_cast<int>(i), newTensor) == 0) std::fill(newTensor, newTensor + 9, 0.0);
    if (QVB_NodalInertia(base, map[i], baseTensor) == 0) std::fill(baseTensor, baseTensor + 9, 0.0);
    measure.addAll(newTensor, baseTensor, 9);
  }
  return reportDeltaTest("->Fail NodalI", "  Pass NodalI", measure.delta()) ? -1 : 0;
}

}  // namespace qvb::compare
