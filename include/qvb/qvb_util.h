/* Time, progress, processor clock, time stamp and system identification. */
#ifndef QVB_UTIL_H
#define QVB_UTIL_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

/* Starts the process-wide progress monitor for a loop of `total` steps. */
QVB_API void QVB_TimeMonitor(int total);

/* Counts one step and prints "\r<pct>%, <n> seconds left of <n> estimated
 * total" on standard output (one line overwritten in place). Prints nothing
 * and counts nothing when no monitor was started or its total is 0 or less. */
QVB_API void QVB_TimeMonitorStamp(void);

/* Progress of long work inside the library (a conversion, a comparison) for
 * hosts that show it: the handler is called with the name of the phase under
 * way and the fraction of the whole work done before it (0 to 1; 1 when the
 * work is done). Null, the default, removes it. The library itself prints
 * nothing for it, and the work goes on the same with or without a handler. */
typedef void (*QVB_ProgressHandler)(const char *phase, double fraction);
QVB_API void QVB_SetProgressHandler(QVB_ProgressHandler handler);

/* Processor time used by the process, in seconds. */
QVB_API double QVB_cputime(void);

/* Writes the local time stamp into out and returns 0.
 *   mode 1: "YYYY-MM-DD"; mode 2: "hh:mm +hhmm"; other: "YYYY-MM-DD hh:mm +hhmm".
 * A negative mode selects by its absolute value and also prints the UTC and
 * local breakdowns on standard output. out needs 23 bytes; at most 23 bytes
 * are written. A null out writes nothing. */
QVB_API int QVB_localtime_ISO8601(int mode, char *out);

/* Identifies the operating system in the manner of `uname`.
 *   The system name is the kernel's name followed by "_" ("Linux_"); the
 *   release is "<major>_<minor>" of the kernel release ("6_1"); the platform
 *   number is 3 for every system identified through uname (it tells hosts
 *   that compare it apart from Windows families, which report 0 to 2).
 *   selector 2: "name release"; 3: "name release platform";
 *   12: "name_release"; 13: "name_release_platform"; other: the name alone.
 * Returns 0, or 1 with out empty when the system cannot be identified.
 * out needs 64 bytes; at most 64 bytes are written. A null out returns 1. */
QVB_API int QVB_uname(int selector, char *out);

QVB_EXTERN_C_END

#endif
