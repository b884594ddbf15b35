/* Advanced coarsening through an embedded interpreter. */
#ifndef QVB_COARSEN_H
#define QVB_COARSEN_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

/* Runs the coarsening script on the body's surface and rewrites the writer
 * options in the environment. Nonzero on success. */
QVB_API int QVB_AdvancedCoarsening(QVB_Handle body, const char *file, const char *options);

QVB_EXTERN_C_END

#ifdef __cplusplus
/* Hosts may bind and release the interpreter runtime themselves. These two are
 * C++ functions (exported with C++ linkage). */
QVB_API bool Py_LoadLibrary();
QVB_API void Py_UnloadLibrary();
#endif

#endif
