// Identity and bookkeeping checks: version, header texts, units, the sparse
// generalized matrices, the mode-shape transformation and interface nodes.
#include "compare/compare_checks.h"
#include "compare/compare_report.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qvb::compare {

void checkVersion(QVB_Handle newer, QVB_Handle base) {
  const int newVersion = QVB_Version(newer);
  const int baseVersion = QVB_Version(base);
  if (newVersion == baseVersion) report(kPassLine, "  Pass Version\n");
  else report(kNoteLine, "->Warning Version new: %4.1f base: %4.1f\n", static_cast<double>(newVersion),
              static_cast<double>(baseVersion));
}

namespace {

// The seven header texts. Each buffer is larger than the field it receives and
// zero-filled, so a text is always terminated even if a backend fills a field
// to the last byte.
struct HeaderTexts {
  char title[256] = {0};
  char text2[128] = {0};
  char text3[256] = {0};
  char fileType[32] = {0};
  char comment[3][160] = {{0}};
  explicit HeaderTexts(QVB_Handle body) {
    QVB_Header(body, title, text2, text3, fileType, comment[0], comment[1], comment[2]);
  }
};

}  // namespace

// Only the input file type counts: titles and comments are free text that
// translators reword between versions.
int checkHeader(QVB_Handle newer, QVB_Handle base) {
  const HeaderTexts newHeader(newer);
  const HeaderTexts baseHeader(base);
  if (std::strcmp(newHeader.title, baseHeader.title) != 0) report(kPassLine, "->Note Title\n");
  else report(kPassLine, "  Pass Title\n");

  int result = 0;
  if (std::strcmp(newHeader.fileType, baseHeader.fileType) != 0) {
    report(kFailLine, "->Fail InputFileType\n");
    result = -1;
  } else {
    report(kPassLine, "  Pass InputFileType\n");
  }

  bool commentsEqual = true;
  for (int line = 0; line < 3 && commentsEqual; ++line)
    commentsEqual = std::strcmp(newHeader.comment[line], baseHeader.comment[line]) == 0;
  if (commentsEqual) report(kPassLine, "  Pass Comment\n");
  else report(kPassLine, "->Note Comment\n");
  return result;
}

// Both bodies were set to the same units before the checks, so a difference
// here means a backend did not honour that; the values are compared anyway.
void checkUnits(QVB_Handle newer, QVB_Handle base) {
  char newUnits[4][64] = {{0}}, baseUnits[4][64] = {{0}};
  QVB_Units(newer, newUnits[0], newUnits[1], newUnits[2], newUnits[3]);
  QVB_Units(base, baseUnits[0], baseUnits[1], baseUnits[2], baseUnits[3]);
  newUnits[0][63] = newUnits[1][63] = baseUnits[0][63] = baseUnits[1][63] = '\0';
  const bool same = std::strcmp(newUnits[0], baseUnits[0]) == 0 && std::strcmp(newUnits[1], baseUnits[1]) == 0;
  if (same) report(kPassLine, "  Pass Units\n");
  else report(kNoteLine, "->Warning Units\n");
}

namespace {

struct SparseMatrixQueries {
  int (*count)(QVB_Handle);
  int (*read)(QVB_Handle, double *, int *, int *);
  const char *countWarning;
  const char *countPass;
  const char *columnFail;
  const char *rowFail;
  const char *listPass;
  const char *valuesFail;
  const char *valuesPass;
};

struct SparseEntries {
  std::vector<double> values;
  std::vector<int> rows;
  std::vector<int> columns;
  SparseEntries(QVB_Handle body, const SparseMatrixQueries &queries, int count)
      : values(static_cast<std::size_t>(count)), rows(values.size()), columns(values.size()) {
    // No entries: the backend expects three null pointers.
    if (count > 0) queries.read(body, values.data(), rows.data(), columns.data());
  }
};

int checkSparse(QVB_Handle newer, QVB_Handle base, const SparseMatrixQueries &queries) {
  const int newCount = countOrZero(queries.count(newer));
  const int baseCount = countOrZero(queries.count(base));
  if (newCount != baseCount) {
    report(kNoteLine, "%s", queries.countWarning);
    report(kFailLine, "  new:  %d", newCount);
    report(kFailLine, "  base:  %d\n", baseCount);
  } else {
    report(kPassLine, "%s", queries.countPass);
  }
  const SparseEntries newEntries(newer, queries, newCount);
  const SparseEntries baseEntries(base, queries, baseCount);
  const int compared = std::min(newCount, baseCount);

  bool listMismatch = false;
  for (int i = 0; i < compared; ++i) {
    if (newEntries.columns[i] != baseEntries.columns[i]) {
      report(kFailLine, "%s", queries.columnFail);
      report(kFailLine, "   index: %d  new: %d  base: %d\n", i, newEntries.columns[i], baseEntries.columns[i]);
      listMismatch = true;
    }
    if (newEntries.rows[i] != baseEntries.rows[i]) {
      report(kFailLine, "%s", queries.rowFail);
      report(kFailLine, "   index: %d  new: %d  base: %d\n", i, newEntries.rows[i], baseEntries.rows[i]);
      listMismatch = true;
    }
  }
  if (!listMismatch) report(kPassLine, "%s", queries.listPass);

  DifferenceMeasure measure;
  measure.addAll(newEntries.values.data(), baseEntries.values.data(), compared);
  const bool valuesFailed = reportDeltaTest(queries.valuesFail, queries.valuesPass, measure.delta());
  return listMismatch || valuesFailed ? -1 : 0;
}

}  // namespace

int checkGenStiffSparse(QVB_Handle newer, QVB_Handle base) {
  static const SparseMatrixQueries kStiffness = {
      QVB_NumberOfGenStiff, QVB_GenStiffSparse, "->Warning NumberOfGenStiff", "  Pass NumberOfGenStiff\n",
      "->Fail SparceStiffnessColumnList", "->Fail SparceStiffnessRowList", "  Pass SparceStiffnessList\n",
      "->Fail SparceStiffness", "  Pass SparceStiffness"};
  return checkSparse(newer, base, kStiffness);
}

int checkGenMassSparse(QVB_Handle newer, QVB_Handle base) {
  static const SparseMatrixQueries kMass = {
      QVB_NumberOfGenMass, QVB_GenMassSparse, "->Warning NumberOfGenMass", "  Pass NumberOfGenMass\n",
      "->Fail SparceMassColumnList", "->Fail SparceMassRowList", "  Pass SparceMassList\n",
      "->Fail SparceMass", "  Pass SparceMass"};
  return checkSparse(newer, base, kMass);
}

// The transformation is informative only. When the base holds fewer values
// than the new body's square (fewer modes), the values it lacks count as zero.
void checkTransformation(QVB_Handle newer, QVB_Handle base) {
  const long long newModes = countOrZero(QVB_ModeCount(newer));
  const long long baseModes = countOrZero(QVB_ModeCount(base));
  const long long size = std::max(newModes * newModes, baseModes * baseModes);
  std::vector<double> newMatrix = zeroBuffer<double>(size);
  std::vector<double> baseMatrix = zeroBuffer<double>(size);
  QVB_Transformation(newer, newMatrix.data());
  QVB_Transformation(base, baseMatrix.data());

  double maxNew = 0.0, maxBase = 0.0, maxDifference = 0.0;
  for (long long k = 0; k < newModes * newModes; ++k) {
    maxNew = std::max(maxNew, std::fabs(newMatrix[k]));
    maxBase = std::max(maxBase, std::fabs(baseMatrix[k]));
    maxDifference = std::max(maxDifference, std::fabs(newMatrix[k] - baseMatrix[k]));
  }
  if (maxNew == 0.0 || maxBase == 0.0) {
    report(kNoteLine, "->Warning ModeShape Transformation not checked\n");
    return;
  }
  const double delta = maxDifference / std::fmax(1.0, maxBase);
  if (delta > tolerance()) {
    report(kNoteLine, "->Warning: ModeShape Transformations differ");
    reportDelta(kFailLine, delta);
  } else {
    report(kPassLine, "  Pass ModeShape Transformation");
    reportDelta(kPassLine, delta);
  }
}

namespace {

// The interface node IDs of one body, copied out of the library's array.
std::vector<int> interfaceNodeIds(QVB_Handle body) {
  int count = 0;
  int *ids = QVB_InterfaceNodeIDs(body, &count);
  std::vector<int> list;
  if (ids != nullptr) {
    list.assign(ids, ids + countOrZero(count));
    QVB_FreeMemory(ids);
  }
  return list;
}

}  // namespace

int checkInterfaceNodes(QVB_Handle newer, QVB_Handle base) {
  std::vector<int> newIds = interfaceNodeIds(newer);
  std::vector<int> baseIds = interfaceNodeIds(base);
  if (newIds.size() != baseIds.size()) {
    report(kFailLine, "->Fail InterfaceNodeCount");
    return -1;
  }
  std::sort(newIds.begin(), newIds.end());
  std::sort(baseIds.begin(), baseIds.end());
  if (newIds != baseIds) {
    report(kFailLine, "->Fail InterfaceNodes\n");
    return -1;
  }
  report(kPassLine, "  Pass InterfaceNodes\n");
  return 0;
}

}  // namespace qvb::compare
