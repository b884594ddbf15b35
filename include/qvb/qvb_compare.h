/* Body comparison. */
#ifndef QVB_COMPARE_H
#define QVB_COMPARE_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

QVB_EXTERN_C_END

#endif
