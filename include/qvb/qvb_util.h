/* Time, progress, processor clock, time stamp and system identification. */
#ifndef QVB_UTIL_H
#define QVB_UTIL_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

QVB_EXTERN_C_END

#endif
