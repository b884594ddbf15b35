/* Databases of named bodies (".master" files). */
#ifndef QVB_DATABASE_H
#define QVB_DATABASE_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

/* The record that QVB_GetBodyInfo(file, index, &info) fills for body `index`
 * (from 1, in the order the bodies were first written) of a database. Texts
 * are NUL-terminated and cut to fit. */
typedef struct QVB_BodyInfo {
  char name[256];
  int node_count;
  int mode_count;
  char created[32];  /* ISO 8601, UTC */
  char modified[32]; /* ISO 8601, UTC */
} QVB_BodyInfo;

QVB_EXTERN_C_END

#endif
