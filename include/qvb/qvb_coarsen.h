/* Advanced coarsening through an embedded interpreter. These three are C++
 * functions (exported with C++ linkage, their names decorated). */
#ifndef QVB_COARSEN_H
#define QVB_COARSEN_H

#include "qvb_export.h"

#ifdef __cplusplus
/* Runs the coarsening script on the body's surface and rewrites the writer
 * options in the environment. True when the script ran and the options were
 * rewritten; false, after reporting why, otherwise. */
QVB_API bool QVB_AdvancedCoarsening(QVB_Handle body, const char *file, const char *options);
/* Binds the interpreter runtime ahead of the first coarsening; true when it was found. */
QVB_API bool Py_LoadLibrary();
/* Releases the interpreter runtime. */
QVB_API void Py_UnloadLibrary();
#endif

#endif
