#include "fortran/fortran_state.h"

#include "qvb/qvb_messages.h"

namespace qvb::fortran {

namespace {
// Translators cannot hold a C pointer comfortably, so the binding holds the
// one body they are building.
QVB_Handle g_currentBody = nullptr;
int g_principalLoadWarningCase = 0;
}  // namespace

QVB_Handle currentBody() { return g_currentBody; }

void setCurrentBody(QVB_Handle body) { g_currentBody = body; }

int &principalLoadWarningCase() { return g_principalLoadWarningCase; }

bool requireCurrentBody(int *status) {
  if (g_currentBody != nullptr) return true;
  QVB_Error("No QVBDATA object.  Call QVB_CREATE first");
  setStatus(status, 1);
  return false;
}

void reportAllocationFailure(int line) {
  QVB_Error("Failed to allocate memory at line %d in file %s.\n", line, kSourceName);
}

}  // namespace qvb::fortran
