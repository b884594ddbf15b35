// Load cases and preloads. Fortran numbers load cases from 1, the C interface
// from 0; mode numbers pass unchanged.
#include "qvb/qvb_fortran.h"

#include "fortran/fortran_state.h"
#include "fortran/fortran_text.h"
#include "qvb/qvb_interface.h"
#include "qvb/qvb_messages.h"

using namespace qvb::fortran;

namespace {

// A principal vector holds one value per rigid-body mode; a body with fewer
// than six cannot take all of it.
constexpr int kFullRigidBodyModes = 6;

}  // namespace

extern "C" {

QVB_API void QVB_SET_LOADCASE_LABEL(int *load_case, const char *label, int label_len,
                                    int *status) {
  if (!requireCurrentBody(status)) return;
  FixedText<256> text(label, label_len);
  setStatus(status,
            statusFromResult(QVB_SetModalLoadLabel(currentBody(), *load_case - 1, text.cString())));
}

QVB_API void QVB_SET_MODAL_LOAD(int *load_case, int *mode, double *value, int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) {
    return QVB_SetModalLoad(body, *load_case - 1, *mode, *value);
  });
}

QVB_API void QVB_SET_MODAL_LOAD_NODAL(int *load_case, int *a, int *b, double *value,
                                      int *status) {
  forwardWithStatus(status, [&](QVB_Handle body) {
    return QVB_SetModalLoadNodal(body, *load_case - 1, *a, *b, *value);
  });
}

QVB_API void QVB_SET_MODAL_LOAD_PRINCIPAL(int *load_case, double *values, int *status) {
  if (!requireCurrentBody(status)) return;
  QVB_Handle body = currentBody();
  const int c = *load_case;
  const int rigid = QVB_RigidBodyModeCount(body);
  // Warn once per run of load cases rather than once per case: a translator
  // writes its cases in rising order, so the warning comes again only when
  // the case number drops below the remembered one (a new body, or a new
  // pass over the cases).
  int &rememberedCase = principalLoadWarningCase();
  if (rigid < kFullRigidBodyModes) {
    if (rememberedCase == 0 || rememberedCase > c) {
      QVB_Warning(
          "QVB only contains %d rigid body modes.\n  The principal load vector will be lacked.\n",
          rigid);
    }
    rememberedCase = c;
  }
  for (int k = 1; k <= rigid; ++k) {
    if (QVB_SetModalLoad(body, c - 1, k, values[k - 1]) == 0) {
      setStatus(status, 1);
      return;
    }
  }
  QVB_SetModalLoadProcessed(body, c - 1, 1);
  setStatus(status, 0);
}

QVB_API void QVB_SET_MODAL_PRELOAD(int *mode, double *value, int *status) {
  forwardWithStatus(status,
                    [&](QVB_Handle body) { return QVB_SetModalPreload(body, *mode, *value); });
}

QVB_API void QVB_SET_MODAL_PRELOAD_PRINCIPAL(double *values, int *status) {
  if (!requireCurrentBody(status)) return;
  QVB_Handle body = currentBody();
  const int rigid = QVB_RigidBodyModeCount(body);
  if (rigid < kFullRigidBodyModes) {
    QVB_Warning(
        "QVB only contains %d rigid body modes.\n  The principal preload vector will be lacked.\n",
        rigid);
  }
  for (int k = 1; k <= rigid; ++k) {
    if (QVB_SetModalPreload(body, k, values[k - 1]) == 0) {
      setStatus(status, 1);
      return;
    }
  }
  QVB_SetModalPreloadProcessed(body, 1);
  setStatus(status, 0);
}

}  // extern "C"
