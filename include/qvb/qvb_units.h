/* Unit labels. */
#ifndef QVB_UNITS_H
#define QVB_UNITS_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

/* Rewrites a unit label in place to its canonical upper-case name ("kg" ->
 * "KILOGRAM", "kip" -> "KPOUND_FORCE"); the comparison ignores ASCII case and
 * covers the whole string. Returns 1 on a match; 0 (buffer untouched) for an
 * unknown or null label. The buffer must hold 15 bytes: the longest canonical
 * name is "KILOGRAM_FORCE". Only the name and its NUL are written. */
QVB_API int QVB_ConvertUnitsLabel(char *label);

QVB_EXTERN_C_END

#endif
