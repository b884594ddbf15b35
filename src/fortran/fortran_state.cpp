#include "fortran/fortran_state.h"

#include "qvb/qvb_messages.h"

namespace qvb::fortran {

namespace {
// Translators cannot hold a C pointer comfortably, so the binding holds the
// one body they are building.
QVB_Handle g_current_body = nullptr;
int g_principal_load_warning_case = 0;
}  // namespace

QVB_Handle CurrentBody() { return g_current_body; }

void SetCurrentBody(QVB_Handle body) { g_current_body = body; }

int &PrincipalLoadWarningCase() { return g_principal_load_warning_case; }

bool RequireCurrentBody(int *status) {
  if (g_current_body != nullptr) return true;
  QVB_Error("No QVBDATA object.  Call QVB_CREATE first");
  SetStatus(status, 1);
  return false;
}

void ReportAllocationFailure(int line) {
  QVB_Error("Failed to allocate memory at line %d in file %s.\n", line, kSourceName);
}

}  // namespace qvb::fortran
