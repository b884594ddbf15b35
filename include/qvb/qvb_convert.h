/* The MTX converter. */
#ifndef QVB_CONVERT_H
#define QVB_CONVERT_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

QVB_EXTERN_C_END

#endif
