/* Advanced coarsening through an embedded interpreter. */
#ifndef QVB_COARSEN_H
#define QVB_COARSEN_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

QVB_EXTERN_C_END

#endif
