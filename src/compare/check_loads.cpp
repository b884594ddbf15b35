// Load checks: modal preload, modal load cases, matrix operators and nodal
// modal loads. Modal quantities flip sign with their mode, so the modal load
// and preload tests compare magnitudes.
#include "compare/compare_checks.h"
#include "compare/compare_report.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace qvb::compare {
namespace {

int comparedModes(QVB_Handle newer, QVB_Handle base) {
  return std::min(countOrZero(QVB_ModeCount(newer)), countOrZero(QVB_ModeCount(base)));
}

// Largest magnitudes and the largest difference of magnitudes over a range.
struct MagnitudeMeasure {
  double maxNew = 0.0, maxBase = 0.0, difference = 0.0;
  void add(double n, double b) {
    maxNew = std::max(maxNew, std::fabs(n));
    maxBase = std::max(maxBase, std::fabs(b));
    difference = std::max(difference, std::fabs(std::fabs(n) - std::fabs(b)));
  }
  double delta() const { return difference / std::fmax(1.0, maxBase); }
};

}  // namespace

int checkPreload(QVB_Handle newer, QVB_Handle base) {
  int baseCount = 0, newCount = 0;
  const LibraryArray<double> b(QVB_GetModalPreload(base, &baseCount));
  const LibraryArray<double> n(QVB_GetModalPreload(newer, &newCount));
  if (b.missing() || n.missing()) return 0;

  if (newCount != baseCount || newCount != comparedModes(newer, base))
    report(kNoteLine, "->Warning Preload mode count mismatch\n");
  else report(kPassLine, "  Pass Preload mode count\n");

  MagnitudeMeasure measure;
  for (int k = 0; k < std::min(newCount, baseCount); ++k) measure.add(n.at(k), b.at(k));
  if (measure.maxNew == 0.0) report(kNoteLine, "->Warning: Null modal preload vector found in new file\n");
  if (measure.maxBase == 0.0) report(kNoteLine, "->Warning: Null modal preload vector found in base file\n");
  if (measure.delta() > tolerance()) {
    report(kFailLine, "->Fail Preload, Delta: %e\n", measure.delta());
    return -1;
  }
  report(kPassLine, "  Pass Preload, Delta: %e\n", measure.delta());
  return 0;
}

// Cases not yet projected on the principal axes still hold the rigid-body
// components in their first six entries, which translators fill differently;
// those are left out.
int checkModalLoads(QVB_Handle newer, QVB_Handle base) {
  const int newCases = countOrZero(QVB_GetModalLoadCaseCount(newer));
  const int baseCases = countOrZero(QVB_GetModalLoadCaseCount(base));
  if (newCases != baseCases) report(kNoteLine, "->Warning Modal Load Case count mismatch\n");
  else report(kPassLine, "  Pass Modal Load Case count\n");
  const int cases = std::min(newCases, baseCases);
  if (cases == 0) return 0;

  constexpr int kRigidBodyEntries = 6;
  const int modes = comparedModes(newer, base);
  bool failed = false;
  for (int c = 0; c < cases; ++c) {
    const int caseNumber = c + 1;
    int baseCount = 0, newCount = 0;
    const LibraryArray<double> b(QVB_GetModalLoad(base, c, &baseCount));
    const LibraryArray<double> n(QVB_GetModalLoad(newer, c, &newCount));
    if (b.missing()) baseCount = 0;
    if (n.missing()) newCount = 0;
    if (newCount != baseCount || newCount != modes)
      report(kNoteLine, "->Warning: Modal Load count mismatch for case #%d\n", caseNumber);

    const bool newProjected = QVB_ModalLoadProcessed(newer, c) != 0;
    const bool baseProjected = QVB_ModalLoadProcessed(base, c) != 0;
    int start = 0;
    if (!newProjected || !baseProjected) {
      if (!newProjected)
        report(kNoteLine, "->Note new QVB load case #%d not yet projected on principal axes\n", caseNumber);
      if (!baseProjected)
        report(kNoteLine, "->Note base QVB load case #%d not yet projected on principal axes\n", caseNumber);
      report(kNoteLine, "->Warning: Rigid body components (assumed first 6) won't be checked\n");
      start = kRigidBodyEntries;
    }

    MagnitudeMeasure measure;
    const int end = std::min(newCount, baseCount);
    for (int k = start; k < end; ++k) measure.add(n.at(k), b.at(k));
    if (start >= end || measure.maxNew == 0.0)
      report(kNoteLine, "->Warning: Null modal load vector found for case #%d in new QVB\n", caseNumber);
    if (measure.maxBase == 0.0)
      report(kNoteLine, "->Warning: Null modal load vector found for case #%d in base QVB\n", caseNumber);
    if (measure.delta() > tolerance()) {
      report(kNoteLine, "->Fail Modal Load: Case #%d", caseNumber);
      reportDelta(kNoteLine, measure.delta());
      failed = true;
    } else {
      report(kPassLine, "  Pass Modal Load: Case #%d", caseNumber);
      reportDelta(kPassLine, measure.delta());
    }
  }
  if (failed) {
    report(kFailLine, "->Fail Modal Loads\n");
    return -1;
  }
  report(kPassLine, "  Pass Modal Loads\n");
  return 0;
}

namespace {

constexpr std::size_t kOperatorTextSize = 80;
constexpr std::size_t kTagSize = 8;

// A fixed-size text field as a string, whether or not it is NUL-terminated.
std::string fieldText(const char *field, std::size_t size) { return std::string(field, strnlen(field, size)); }

std::string operatorName(QVB_Handle body, int op) {
  char name[2 * kOperatorTextSize] = {0};
  QVB_GetMatrixOperatorName(body, op, name);
  return fieldText(name, kOperatorTextSize);
}

std::vector<std::string> operatorLabels(QVB_Handle body, int op, int rows) {
  std::vector<char> flat = zeroBuffer<char>(static_cast<long long>(rows) * kOperatorTextSize + kOperatorTextSize);
  if (rows > 0) QVB_GetMatrixOperatorLabels(body, op, flat.data());
  std::vector<std::string> labels;
  for (int r = 0; r < rows; ++r) labels.push_back(fieldText(&flat[r * kOperatorTextSize], kOperatorTextSize));
  return labels;
}

std::string subOperatorTag(QVB_Handle body, int op, int sub) {
  char tag[2 * kTagSize] = {0};
  QVB_GetMatrixOperatorSubTag(body, op, sub, tag);
  return fieldText(tag, kTagSize);
}

std::vector<double> subOperatorData(QVB_Handle body, int op, int sub, int rows, int columns) {
  std::vector<double> data = zeroBuffer<double>(static_cast<long long>(rows) * columns);
  if (rows > 0 && columns > 0) QVB_GetMatrixOperatorSubData(body, op, sub, data.data());
  return data;
}

// Compares the sub-operators of operator `op`; returns false when the whole
// operator check must end (an operator without sub-operators).
bool compareSubOperators(QVB_Handle newer, QVB_Handle base, int op, int rows, int &failures) {
  const int newSubs = countOrZero(QVB_GetMatrixOperatorNumSubOperator(newer, op));
  const int baseSubs = countOrZero(QVB_GetMatrixOperatorNumSubOperator(base, op));
  if (newSubs != baseSubs)
    report(kNoteLine, "->Warning: Sub Matrix Operator count differ... base: %d  new: %d\n", baseSubs, newSubs);
  const int subs = std::min(newSubs, baseSubs);
  if (subs == 0) return false;
  for (int j = 0; j < subs; ++j) {
    const int newColumns = QVB_GetMatrixOperatorSubNumCols(newer, op, j);
    const int baseColumns = QVB_GetMatrixOperatorSubNumCols(base, op, j);
    if (newColumns != baseColumns) {
      report(kFailLine, "->Fail Matrix Operator #%d Sub #%d: Size of column differ... base: %d  new: %d\n", op + 1,
             j + 1, baseColumns, newColumns);
      ++failures;
      return true;
    }
    const std::string newTag = subOperatorTag(newer, op, j);
    const std::string baseTag = subOperatorTag(base, op, j);
    if (newTag != baseTag) {
      report(kFailLine, "->Fail Matrix Operator #%d Sub #%d: Tag differ... base: %s  new: %s\n", op + 1, j + 1,
             baseTag.c_str(), newTag.c_str());
      ++failures;
      return true;
    }
    const std::vector<double> n = subOperatorData(newer, op, j, rows, newColumns);
    const std::vector<double> b = subOperatorData(base, op, j, rows, baseColumns);
    double largest = 0.0;
    for (long long k = 0; k < static_cast<long long>(rows) * countOrZero(newColumns); ++k)
      largest = std::max(largest, std::fabs(std::fabs(b[k]) - std::fabs(n[k])));
    if (largest > tolerance()) {
      report(kFailLine, "->Fail Matrix Operator: Case #%d Sub #%d", op + 1, j + 1);
      reportDelta(kFailLine, largest);
      ++failures;
      return true;
    }
    report(kPassLine, "  Pass Matrix Operator: Case #%d Sub #%d", op + 1, j + 1);
    reportDelta(kPassLine, largest);
  }
  return true;
}

// The count step shared by the operator and nodal-load checks: a warning when
// the counts differ; the items compared are those both bodies have.
int countBothHave(int newCount, int baseCount, const char *differ, const char *pass) {
  if (newCount != baseCount) report(kNoteLine, differ, baseCount, newCount);
  else report(kPassLine, "%s", pass);
  return std::min(newCount, baseCount);
}

}  // namespace

int checkMatrixOperators(QVB_Handle newer, QVB_Handle base) {
  if (!bothHaveOptionalBlock(newer, base, 34, "->Warning: No comparison performed on block 34 matrix_operator\n"))
    return 0;
  const int count = countBothHave(countOrZero(QVB_GetMatrixOperatorCount(newer)),
                                  countOrZero(QVB_GetMatrixOperatorCount(base)),
                                  "->Warning: Matrix Operator count differ... base: %d  new: %d\n",
                                  "  Pass Matrix Operator count\n");
  if (count == 0) return 0;

  int failures = 0;
  for (int op = 0; op < count; ++op) {
    const std::string newName = operatorName(newer, op);
    const std::string baseName = operatorName(base, op);
    if (newName != baseName) {
      report(kFailLine, "->Fail Matrix Operator #%d: Name differ... base: %s  new: %s\n", op + 1, baseName.c_str(),
             newName.c_str());
      ++failures;
      continue;
    }
    const int newRows = QVB_GetMatrixOperatorNumRows(newer, op);
    const int baseRows = QVB_GetMatrixOperatorNumRows(base, op);
    if (newRows != baseRows) {
      report(kFailLine, "->Fail Matrix Operator #%d: Size of row differ... base: %d  new: %d\n", op + 1, baseRows,
             newRows);
      ++failures;
      continue;
    }
    const std::vector<std::string> newLabels = operatorLabels(newer, op, countOrZero(newRows));
    const std::vector<std::string> baseLabels = operatorLabels(base, op, countOrZero(baseRows));
    const auto mismatch = std::mismatch(newLabels.begin(), newLabels.end(), baseLabels.begin());
    if (mismatch.first != newLabels.end()) {
      report(kFailLine, "->Fail Matrix Operator #%d: Label differ... base: %s  new: %s\n", op + 1,
             mismatch.second->c_str(), mismatch.first->c_str());
      ++failures;
      continue;
    }
    // Once something failed, only names, sizes and labels are still compared.
    if (failures > 0) continue;
    if (!compareSubOperators(newer, base, op, countOrZero(newRows), failures)) return -failures;
  }
  if (failures > 0) report(kFailLine, "->Fail Matrix Operator\n");
  else report(kPassLine, "  Pass Matrix Operator\n");
  return -failures;
}

int checkModalLoadNodal(QVB_Handle newer, QVB_Handle base) {
  if (!bothHaveOptionalBlock(newer, base, 35, "->Warning: No comparison performed on block 35 modal_load_nodal\n"))
    return 0;
  const int cases = countBothHave(countOrZero(QVB_GetModalLoadNodalCaseCount(newer)),
                                  countOrZero(QVB_GetModalLoadNodalCaseCount(base)),
                                  "->Warning: Modal Load Nodal count differ... base: %d  new: %d\n",
                                  "  Pass Modal Load Nodal count\n");
  if (cases == 0) return 0;

  bool failed = false;
  for (int c = 0; c < cases; ++c) {
    const int caseNumber = c + 1;
    const int newCount = countOrZero(QVB_GetModalLoadNodalCount(newer, c));
    const int baseCount = countOrZero(QVB_GetModalLoadNodalCount(base, c));
    if (newCount != baseCount)
      report(kNoteLine, "->Warning: Load count differ in case #%d... base: %d  new: %d\n", caseNumber, baseCount,
             newCount);
    int entries = std::min(newCount, baseCount);
    if (entries == 0) continue;

    const LibraryArray<int> newNodes(QVB_GetModalLoadNodalNode(newer, c));
    const LibraryArray<int> newCoords(QVB_GetModalLoadNodalCoord(newer, c));
    const LibraryArray<double> newLoads(QVB_GetModalLoadNodalLoad(newer, c));
    const LibraryArray<int> baseNodes(QVB_GetModalLoadNodalNode(base, c));
    const LibraryArray<int> baseCoords(QVB_GetModalLoadNodalCoord(base, c));
    const LibraryArray<double> baseLoads(QVB_GetModalLoadNodalLoad(base, c));
    if (newNodes.missing() || newCoords.missing() || newLoads.missing() || baseNodes.missing() ||
        baseCoords.missing() || baseLoads.missing())
      entries = 0;

    double maxBase = 0.0, largest = 0.0;
    for (int k = 0; k < entries; ++k) {
      const int newId = QVB_NodeID(newer, newNodes.at(k));
      if (newId != QVB_NodeID(base, baseNodes.at(k)) || newCoords.at(k) != baseCoords.at(k)) {
        report(kFailLine, "->Fail Modal Load Nodal: Case #%d, Node %d", caseNumber, newId);
        failed = true;
        break;
      }
      maxBase = std::max(maxBase, std::fabs(baseLoads.at(k)));
      largest = std::max(largest, std::fabs(baseLoads.at(k) - newLoads.at(k)));
    }
    const double delta = largest / std::fmax(1.0, maxBase);
    if (delta > tolerance()) {
      report(kFailLine, "->Fail Modal Load Nodal: Case #%d", caseNumber);
      reportDelta(kFailLine, delta);
      failed = true;
    } else {
      report(kPassLine, "  Pass Modal Load Nodal: Case #%d", caseNumber);
      reportDelta(kPassLine, delta);
    }
  }
  if (failed) {
    report(kFailLine, "->Fail Modal Load Nodal\n");
    return -1;
  }
  report(kPassLine, "  Pass Modal Load Nodal\n");
  return 0;
}

}  // namespace qvb::compare
