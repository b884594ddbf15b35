/* The MTX converter. */
#ifndef QVB_CONVERT_H
#define QVB_CONVERT_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

/* Writes the matrices of an open body into an MTX file, as the command line in
 * argv asks (argv[0] is the program name, as main receives it). Returns 0 when
 * the file was written and closed, -1 otherwise. Some switches end the process. */
QVB_API int QVB_QVB2MTX(int argc, char **argv, QVB_Handle body);
/* The converter's identification text. */
QVB_API const char *qvb2mtx_VersionId(void);

/* The name of the MTX file the last QVB_QVB2MTX call opened for writing
 * ("" when it opened none), so that a command can say what it wrote. */
QVB_API const char *QVB_QVB2MTX_OutputFile(void);

QVB_EXTERN_C_END

#endif
