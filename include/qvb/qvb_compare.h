/* Body comparison. */
#ifndef QVB_COMPARE_H
#define QVB_COMPARE_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

/* Compares a new body with a base body block by block and prints a report on
 * standard output. Returns the verdict: 0 when equivalent, negative otherwise.
 * Some mismatches end the process. */
QVB_API int QVB_Compare(QVB_Handle base, QVB_Handle newer, int verbosity, double tolerance);
/* Compares and reports the total mass, inertia and centre of two bodies (block 6); 0 when they agree, else -1. */
QVB_API int block_6__global_body_props(QVB_Handle newer, QVB_Handle base);
/* The comparison's identification text. */
QVB_API const char *qvbcompare_VersionId(void);

QVB_EXTERN_C_END

#endif
