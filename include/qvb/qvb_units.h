/* Unit labels. */
#ifndef QVB_UNITS_H
#define QVB_UNITS_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

QVB_EXTERN_C_END

#endif
