// The binding's process-wide state (the current body, the principal-load
// warning state) and the status conventions every upper-case function shares.
#pragma once

#include "qvb/qvb_export.h"

namespace qvb::fortran {

// The name allocation failures are reported under.
inline constexpr const char *kSourceName = "qvb_fortran";

QVB_Handle currentBody();
void setCurrentBody(QVB_Handle body);

// The load case of the last principal load given to a body with fewer than
// six rigid-body modes; 0 before the first. Lives for the whole process on
// purpose: a second body starting again at load case 1 is warned about again.
int &principalLoadWarningCase();

// Writes a status when the caller gave somewhere to write it.
inline void setStatus(int *status, int value) {
  if (status != nullptr) *status = value;
}

// The C interface reports success with a nonzero result; Fortran callers
// expect 0 for success.
inline int statusFromResult(int result) { return result == 0 ? 1 : 0; }

// True when a current body exists; otherwise reports the missing-body error
// and sets the status to 1.
bool requireCurrentBody(int *status);

// "Failed to allocate memory at line <line> in file qvb_fortran."
void reportAllocationFailure(int line);

// The common shape of a setter: check the body, make one C call, turn its
// result into a status.
template <class Call>
void forwardWithStatus(int *status, Call call) {
  if (!requireCurrentBody(status)) return;
  setStatus(status, statusFromResult(call(currentBody())));
}

}  // namespace qvb::fortran
