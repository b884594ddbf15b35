#include "util/progress_report.h"

#include "qvb/qvb_util.h"

namespace {

// One process-wide handler, like the message handler.
QVB_ProgressHandler g_progressHandler = nullptr;

}  // namespace

namespace qvb::util {

void reportProgress(const char *phase, double fraction) {
  if (g_progressHandler != nullptr) g_progressHandler(phase, fraction);
}

}  // namespace qvb::util

extern "C" QVB_API void QVB_SetProgressHandler(QVB_ProgressHandler handler) { g_progressHandler = handler; }
