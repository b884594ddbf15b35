// Monitor points and matrix operators. Unlike the other setters, two of these
// hand the C result on as the status, and two treat only a negative result as
// failure.
#include "qvb/qvb_fortran.h"

#include "fortran/fortran_layout.h"
#include "fortran/fortran_state.h"
#include "fortran/fortran_text.h"
#include "qvb/qvb_interface.h"

#include <cstdlib>

using namespace qvb::fortran;

namespace {

constexpr std::size_t kOperatorNameBuffer = 80;
constexpr std::size_t kOperatorTagBuffer = 8;
// Labels arrive as consecutive fixed fields of this many characters.
constexpr int kLabelField = 80;

constexpr int kFirstOperatorKind = 1;  // displacement
constexpr int kLastOperatorKind = 4;   // load

int statusFromSignedResult(int result) { return result < 0 ? 1 : 0; }

// A list of labelCount C strings read from 80-character fields, or null.
// Everything allocated is released by freeLabels, even after a partial failure.
char **makeLabels(const char *labels, int labelCount, bool &failed) {
  failed = false;
  char **list = static_cast<char **>(std::calloc(static_cast<std::size_t>(labelCount), sizeof(char *)));
  if (list == nullptr) {
    failed = true;
    return nullptr;
  }
  for (int i = 0; i < labelCount; ++i) {
    list[i] = static_cast<char *>(std::calloc(kLabelField, 1));
    if (list[i] == nullptr) {
      failed = true;
      return list;
    }
    convertFixedText(labels + static_cast<std::size_t>(kLabelField) * i, kLabelField, list[i],
                     kLabelField);
  }
  return list;
}

void freeLabels(char **list, int labelCount) {
  if (list == nullptr) return;
  for (int i = 0; i < labelCount; ++i) std::free(list[i]);
  std::free(list);
}

}  // namespace

extern "C" {

QVB_API void QVB_SET_MONITOR_POINT_INFO(int *a, int *b, int *c, int *d, int *node_ids,
                                        const char *name, int name_len, const char *label,
                                        int label_len, int *status) {
  if (!requireCurrentBody(status)) return;
  FixedText<9> pointName(name, name_len);
  FixedText<57> pointLabel(label, label_len);
  setStatus(status, QVB_SetMonitorPointInfo(currentBody(), *a, *b, *c, *d, node_ids,
                                            pointName.cString(), pointLabel.cString()));
}

QVB_API void QVB_SET_MONITOR_POINT_OPERATOR(int *point, int *kind, double *values, int *status) {
  if (!requireCurrentBody(status)) return;
  if (*kind < kFirstOperatorKind || *kind > kLastOperatorKind) {
    setStatus(status, 1);
    return;
  }
  setStatus(status, statusFromSignedResult(
                        QVB_SetMonitorPointOperator(currentBody(), *point, *kind, values)));
}

QVB_API void QVB_SET_MATRIX_OPERATOR_INFO(const char *name, int name_len, const char *labels,
                                          int labels_len, int *label_count, int *status) {
  if (!requireCurrentBody(status)) return;
  FixedText<kOperatorNameBuffer> operatorName(name, name_len);
  const int n = *label_count;
  char **list = nullptr;
  if (labels_len > 0 && n > 0) {
    bool failed = false;
    list = makeLabels(labels, n, failed);
    if (failed) {
      // Passing a half-built list on would lose labels silently.
      freeLabels(list, n);
      reportAllocationFailure(__LINE__);
      setStatus(status, 1);
      return;
    }
  }
  const int result = QVB_SetMatrixOperatorInfo(currentBody(), operatorName.cString(), list, n);
  freeLabels(list, n);
  setStatus(status, result);
}

QVB_API void QVB_SET_MATRIX_OPERATOR_DATA(int *op, const char *name, int name_len,
                                          int *column_count, double *values, int *status) {
  if (!requireCurrentBody(status)) return;
  QVB_Handle body = currentBody();
  FixedText<kOperatorTagBuffer> tag(name, name_len);
  const int columns = *column_count;
  const int rows = QVB_GetMatrixOperatorNumRows(body, *op);
  double *copy = nullptr;
  if (rows > 0 && columns > 0) {
    const std::size_t count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    copy = static_cast<double *>(std::calloc(count, sizeof(double)));
    if (copy == nullptr) {
      reportAllocationFailure(__LINE__);
      setStatus(status, 1);
      return;
    }
    columnMajorToRowMajor(values, rows, columns, copy);
  }
  const int result = QVB_SetMatrixOperatorData(body, *op, tag.cString(), columns, copy);
  std::free(copy);
  setStatus(status, statusFromSignedResult(result));
}

}  // extern "C"
