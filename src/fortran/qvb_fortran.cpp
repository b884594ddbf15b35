// The Fortran-callable binding: life cycle, writing and queries of the
// current body. The setters are in fortran_setters.cpp and its neighbours.
#include "qvb/qvb_fortran.h"

#include "fortran/fortran_state.h"
#include "fortran/fortran_text.h"
#include "qvb/qvb_interface.h"
#include "qvb/qvb_messages.h"

#include <cstdlib>

using namespace qvb::fortran;

namespace {

constexpr std::size_t kFileNameBuffer = 1024;

void endLibrary() {
  QVB_Terminate();
  setCurrentBody(nullptr);
}

// Stress and strain come in two halves of three values (part 0 and part 1).
void getModalTensor(int kind, int *mode, int *node, double *out[6], int *status) {
  if (!requireCurrentBody(status)) return;
  double values[3] = {0.0, 0.0, 0.0};
  int ok = QVB_ModeByNode(currentBody(), *mode, kind, *node, values, 0);
  for (int k = 0; k < 3; ++k) *out[k] = values[k];
  if (ok != 0) ok = QVB_ModeByNode(currentBody(), *mode, kind, *node, values, 1);
  // All six outputs are written either way; after a failure they mean nothing.
  for (int k = 0; k < 3; ++k) *out[3 + k] = values[k];
  setStatus(status, statusFromResult(ok));
}

}  // namespace

extern "C" {

QVB_API void QVB_CREATE(int *a, int *b, int *status) {
  // A new body always starts afresh: every earlier body and backend ends.
  if (currentBody() != nullptr) endLibrary();
  setCurrentBody(QVB_Create(*a, *b));
  setStatus(status, currentBody() != nullptr ? 0 : 1);
}

QVB_API void QVB_CREATE_FROM_QVB(const char *name, int name_len, int *status) {
  setStatus(status, 0);
  // The name goes through whole: the file-kind detection ignores what follows
  // a blank after the extension.
  char *copy = copyExactText(name, name_len);
  if (copy == nullptr) {
    reportAllocationFailure(__LINE__);
    setStatus(status, 1);
    return;
  }
  setCurrentBody(QVB_CreateFromQVB(copy));
  std::free(copy);
  if (currentBody() == nullptr) setStatus(status, 1);
}

QVB_API void QVB_TERMINATE(int *status) {
  if (!requireCurrentBody(status)) return;
  endLibrary();
  setStatus(status, 0);
}

QVB_API void _terminate(void) { endLibrary(); }

QVB_API void QVB_WRITE_QVB(const char *name, int name_len, int *status) {
  if (!requireCurrentBody(status)) return;
  FixedText<kFileNameBuffer> file(name, name_len);
  setStatus(status, statusFromResult(QVB_write_QVB(currentBody(), file.cString())));
}

QVB_API void QVB_WRITE_ANSYS_QVB(const char *name, int name_len, int *a, int *b, int *status) {
  if (!requireCurrentBody(status)) return;
  QVB_AnsysAddGenMass(currentBody(), *a, *b);
  char *copy = copyExactText(name, name_len);
  if (copy == nullptr) {
    reportAllocationFailure(__LINE__);
    setStatus(status, 1);
    return;
  }
  const int written = QVB_write_QVB(currentBody(), copy);
  std::free(copy);
  setStatus(status, statusFromResult(written));
}

QVB_API void QVB_WRITE_DB(const char *text1, int text1_len, const char *text2, int text2_len,
                          int *status) {
  if (!requireCurrentBody(status)) return;
  FixedText<kFileNameBuffer> first(text1, text1_len);
  FixedText<kFileNameBuffer> second(text2, text2_len);
  setStatus(status,
            statusFromResult(QVB_write_DB(currentBody(), const_cast<char *>(first.cString()),
                                          const_cast<char *>(second.cString()))));
}

QVB_API void QVB_GET_MODE_COUNT(int *count, int *status) {
  if (!requireCurrentBody(status)) return;
  *count = QVB_ModeCount(currentBody());
  setStatus(status, 0);
}

QVB_API void QVB_GET_MODAL_STRESS(int *mode, int *node, double *s1, double *s2, double *s3,
                                  double *s4, double *s5, double *s6, int *status) {
  double *out[6] = {s1, s2, s3, s4, s5, s6};
  getModalTensor(1, mode, node, out, status);
}

QVB_API void QVB_GET_MODAL_STRAIN(int *mode, int *node, double *e1, double *e2, double *e3,
                                  double *e4, double *e5, double *e6, int *status) {
  double *out[6] = {e1, e2, e3, e4, e5, e6};
  getModalTensor(2, mode, node, out, status);
}

QVB_API void QVB_GET_TRANSFORM_TO_SELMOD(double *T, int *selected_modes, int *selected_count,
                                         int *status) {
  if (!requireCurrentBody(status)) return;
  if (T == nullptr) {
    QVB_Error("NULL argument T passed into QVB_GET_TRANSFORM_TO_SELMOD\n");
    setStatus(status, 1);
    return;
  }
  QVB_Handle body = currentBody();
  const int n = QVB_ModeCount(body);
  if (n < 1) {
    QVB_Error("Invalid mode count found at line %d in file %s.\n", __LINE__, kSourceName);
    setStatus(status, 1);
    return;
  }
  const int s = *selected_count > 0 ? *selected_count : 0;
  // The column of each selected mode; a mode the body does not have would
  // read outside the transformation, so it is refused before anything is
  // written.
  int *columns = static_cast<int *>(std::calloc(static_cast<std::size_t>(s) + 1, sizeof(int)));
  const std::size_t nn = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  double *work = static_cast<double *>(std::calloc(nn, sizeof(double)));
  if (columns == nullptr || work == nullptr) {
    std::free(columns);
    std::free(work);
    reportAllocationFailure(__LINE__);
    setStatus(status, 1);
    return;
  }
  for (int j = 0; j < s; ++j) {
    columns[j] = QVB_ModeIndex(body, selected_modes[j]);
    if (columns[j] < 0 || columns[j] >= n) {
      QVB_Error("Mode %d selected in QVB_GET_TRANSFORM_TO_SELMOD is not a mode of the body\n",
                selected_modes[j]);
      std::free(columns);
      std::free(work);
      setStatus(status, 1);
      return;
    }
  }
  const int filled = QVB_Transformation(body, work);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < s; ++j) {
      T[static_cast<std::size_t>(i) * s + j] = work[static_cast<std::size_t>(i) * n + columns[j]];
    }
  }
  std::free(columns);
  std::free(work);
  setStatus(status, statusFromResult(filled));
}

QVB_API const char *qvb_fortran_VersionId(void) {
  static const char kVersionId[] = "qvb_fortran 1.0.0 (Fortran binding of the QVB library)";
  return kVersionId;
}

}  // extern "C"
