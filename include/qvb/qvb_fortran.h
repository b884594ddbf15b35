/* Fortran-callable binding (upper-case functions). */
#ifndef QVB_FORTRAN_H
#define QVB_FORTRAN_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

QVB_EXTERN_C_END

#endif
