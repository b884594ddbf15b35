// Monitor-point and rotor-dynamics checks.
//
// Both compare arrays laid out with a body's mode count as the row length.
// When the two bodies have different mode counts, each array is read with its
// own body's row length and only the modes both bodies have are compared, so a
// base with fewer modes or rows is never read past its end.
#include "compare/compare_checks.h"
#include "compare/compare_report.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qvb::compare {
namespace {

struct OperatorKind {
  int kind;
  const char *existenceFail;
  const char *valuesFail;
  const char *valuesPass;
};

const OperatorKind kOperatorKinds[] = {
    {1, "->Fail Modal Displacement Operator Existence\n", "->Fail Modal Displacement Operator ",
     "  Pass Modal Displacement Operator "},
    {2, "->Fail Modal Velocity Operator Existence\n", "->Fail Modal Velocity Operator ",
     "  Pass Modal Velocity Operator "},
    {3, "->Fail Modal Acceleration Operator Existence\n", "->Fail Modal Acceleration Operator ",
     "  Pass Modal Acceleration Operator "},
    {4, "->Fail Load Operator Existence\n", "->Fail Modal Load Operator ", "  Pass Modal Load Operator "},
};

// One monitor-point operator of one body, rows x (the body's mode count).
struct PointOperator {
  std::vector<double> values;
  int rowLength;
  PointOperator(QVB_Handle body, int point, int kind, int rows, int columns) {
    rowLength = countOrZero(QVB_ModeCount(body));
    // Sized for whichever the backend writes: its mode count or the column
    // count it reported with the operator size.
    values = zeroBuffer<double>(static_cast<long long>(rows) * std::max(rowLength, columns));
    QVB_GetMonitorPointOperator(body, point, kind, values.data());
  }
  double at(int row, int column) const {
    return values[static_cast<std::size_t>(row) * static_cast<std::size_t>(rowLength) + static_cast<std::size_t>(column)];
  }
};

// Compares the integer property read by `query`; true when they differ.
bool propertyDiffers(QVB_Handle newer, QVB_Handle base, int point, int (*query)(QVB_Handle, int),
                     const char *failLine, const char *passLine) {
  if (query(newer, point) != query(base, point)) {
    report(kPassLine, "%s", failLine);
    return true;
  }
  report(kPassLine, "%s", passLine);
  return false;
}

// Returns false at the first difference, which ends the whole check.
bool monitorPointMatches(QVB_Handle newer, QVB_Handle base, int point) {
  char newName[64] = {0}, newLabel[128] = {0}, baseName[64] = {0}, baseLabel[128] = {0};
  QVB_GetMonitorPointNameLabel(newer, point, newName, newLabel);
  QVB_GetMonitorPointNameLabel(base, point, baseName, baseLabel);
  // Names and labels are informative only.
  report(kPassLine, "%s", std::strncmp(newName, baseName, 16) != 0 ? "->Fail Name\n" : "  Pass Name\n");
  report(kPassLine, "%s", std::strncmp(newLabel, baseLabel, 64) != 0 ? "->Fail Label\n" : "  Pass Label\n");

  if (propertyDiffers(newer, base, point, QVB_GetMonitorPointType, "->Fail Type\n", "  Pass Type\n") ||
      propertyDiffers(newer, base, point, QVB_GetMonitorPointResultType, "->Fail Result Type\n",
                      "  Pass Result Type\n") ||
      propertyDiffers(newer, base, point, QVB_GetMonitorPointComponent, "->Fail Component\n", "  Pass Component\n"))
    return false;

  int newRows = 0, newColumns = 0, baseRows = 0, baseColumns = 0;
  QVB_GetMonitorPointOperatorSize(newer, point, &newRows, &newColumns);
  QVB_GetMonitorPointOperatorSize(base, point, &baseRows, &baseColumns);
  if (newRows != baseRows) {
    report(kPassLine, "->Fail Operator Dimension\n");
    return false;
  }
  report(kPassLine, "  Pass Operator Dimension\n");

  for (const OperatorKind &kind : kOperatorKinds) {
    if ((QVB_MonitorPointHasOperator(base, point, kind.kind) != 0) !=
        (QVB_MonitorPointHasOperator(newer, point, kind.kind) != 0)) {
      report(kFailLine, "%s", kind.existenceFail);
      return false;
    }
  }

  const int rows = countOrZero(newRows);
  const int firstFlexible = std::min(QVB_RigidBodyModeCount(newer), QVB_RigidBodyModeCount(base));
  for (const OperatorKind &kind : kOperatorKinds) {
    if (QVB_MonitorPointHasOperator(newer, point, kind.kind) == 0) continue;
    const PointOperator n(newer, point, kind.kind, rows, countOrZero(newColumns));
    const PointOperator b(base, point, kind.kind, rows, countOrZero(baseColumns));
    const int columns = std::min(n.rowLength, b.rowLength);
    // Each value picks its own sign: a negated mode negates its column.
    double scale = 0.0, largest = 0.0;
    for (int r = 0; r < rows; ++r) {
      for (int c = std::max(firstFlexible, 0); c < columns; ++c) {
        const double nv = n.at(r, c), bv = b.at(r, c);
        scale = std::max(scale, std::fabs(bv));
        largest = std::max(largest, std::min(std::fabs(nv - bv), std::fabs(nv + bv)));
      }
    }
    const double delta = largest / std::fmax(1.0, scale);
    if (reportDeltaTest(kind.valuesFail, kind.valuesPass, delta)) return false;
  }
  return true;
}

}  // namespace

int checkMonitorPoints(QVB_Handle newer, QVB_Handle base) {
  const int newCount = QVB_GetMonitorPointCount(newer);
  const int baseCount = QVB_GetMonitorPointCount(base);
  if (newCount != baseCount) {
    report(kFailLine, "->Fail Monitor Point Count: base: %d != new: %d \n\n", baseCount, newCount);
    return -1;
  }
  report(kPassLine, "  Pass Monitor Point Count: %d\n", newCount);
  for (int point = 0; point < newCount; ++point) {
    report(kPassLine, "  Monitor Point: %8d\n", point + 1);
    if (!monitorPointMatches(newer, base, point)) return -1;
  }
  return 0;
}

// The rotor-dynamics matrices belong to the body; they are read, not released.
int checkRotorDynamics(QVB_Handle newer, QVB_Handle base) {
  if (!bothHaveOptionalBlock(newer, base, 37, "->Warning: No comparison performed on block 37 rotor_dynamics\n"))
    return 0;
  double newCentre[3] = {0.0}, newAxis[3] = {0.0}, baseCentre[3] = {0.0}, baseAxis[3] = {0.0};
  QVB_RotorDynamicsAxis(newer, newCentre, newAxis);
  QVB_RotorDynamicsAxis(base, baseCentre, baseAxis);

  bool failed = false;
  DifferenceMeasure centre, axis;
  centre.addAll(newCentre, baseCentre, 3);
  axis.addAll(newAxis, baseAxis, 3);
  failed |= reportDeltaTest("->Fail Rotor Dynamics Axis Center ", "  Pass Rotor Dynamics Axis Center ", centre.delta());
  failed |= reportDeltaTest("->Fail Rotor Dynamics Axis Vector ", "  Pass Rotor Dynamics Axis Vector ", axis.delta());

  static const char *const kMatrixNames[3] = {"Gyroscopic", "Circulation", "Differential Stiffness"};
  const int newModes = countOrZero(QVB_ModeCount(newer));
  const int baseModes = countOrZero(QVB_ModeCount(base));
  const int modes = std::min(newModes, baseModes);
  for (int kind = 0; kind < 3; ++kind) {
    const LibraryArray<double> n(QVB_RotorDynamicsMatrix(newer, kind));
    const LibraryArray<double> b(QVB_RotorDynamicsMatrix(base, kind));
    if (n.missing() != b.missing()) {
      report(kFailLine, "->Fail Rotor Dynamics %s Matrix Existence\n", kMatrixNames[kind]);
      failed = true;
      continue;
    }
    if (n.missing()) continue;
    // The leading modes x modes block of each, read with its own row length.
    DifferenceMeasure measure;
    for (int r = 0; r < modes; ++r)
      for (int c = 0; c < modes; ++c)
        measure.add(n.at(static_cast<long long>(r) * newModes + c), b.at(static_cast<long long>(r) * baseModes + c));
    const double delta = measure.delta();
    if (delta > tolerance()) {
      report(kFailLine, "->Fail Rotor Dynamics %s Matrix ", kMatrixNames[kind]);
      reportDelta(kFailLine, delta);
      failed = true;
    } else {
      report(kPassLine, "  Pass Rotor Dynamics %s Matrix ", kMatrixNames[kind]);
      reportDelta(kPassLine, delta);
    }
  }
  return failed ? -1 : 0;
}

}  // namespace qvb::compare
