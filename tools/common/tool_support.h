/* What the commands share: finding the storage backends without any
 * environment set, and opening a body named on the command line. C-callable,
 * so that the Fortran example uses the same code. */
#ifndef QVB_TOOL_SUPPORT_H
#define QVB_TOOL_SUPPORT_H

#include "qvb.h"

#ifdef __cplusplus
extern "C" {
#endif

/* When TRX_USER_PLUGIN_DIR is unset, points it at the plug-in folder beside
 * the running executable: ../plugins in a build tree, the installed plug-in
 * folder otherwise. Does nothing when neither exists. */
void qvb_tool_default_plugin_dir(void);

/* Opens "part.qvb", "part.qvb::k" (the k-th body of a body file),
 * "fleet.master", "fleet.master::k" or "fleet.master::name". Null when the
 * body cannot be opened (the library has said why). */
QVB_Handle qvb_tool_open_body(const char *specification);

#ifdef __cplusplus
}
#endif

#endif
