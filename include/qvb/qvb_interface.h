/*
 * The body interface: the backend operation table s_FLEX_INTERFACE, the two
 * entry points a backend exports, body creation and file queries, and one
 * forwarding export per body-level slot. Everything is generated from the slot
 * list in qvb_slots.h.
 */
#ifndef QVB_INTERFACE_H
#define QVB_INTERFACE_H

#include <stdio.h>

#include "qvb_export.h"
#include "qvb_messages.h"

QVB_EXTERN_C_BEGIN

/* 188 function pointers in slot order; reserved slots keep their places. */
typedef struct s_FLEX_INTERFACE {
#define QVB_FWD(ordinal, result, name, params, args) result(*name) params;
#define QVB_OWN(ordinal, result, name, params, args) result(*name) params;
#define QVB_RSV(ordinal) void (*reserved_##ordinal)(void);
#include "qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV
} s_FLEX_INTERFACE;

#define QVB_SLOT_COUNT 188

/* The two entry points a backend library exports, looked up by these names. */
typedef void (*QVB_PopulateInterfaceFn)(s_FLEX_INTERFACE *table);
typedef void (*QVB_SetMessageHandlersFn)(s_MSG_HANDLERS *handlers);

/* Creation, file queries, release and teardown.
 *
 * The storage kind comes from the file name's extension: ".qvb" (body file)
 * or ".master" (database), in any letter case, ignoring a "::" selector or a
 * blank-separated suffix; other names have no backend (null, 0 or -1, no
 * message). A backend is loaded on first need; when it cannot be, two errors
 * are reported and the call fails; the next call tries again.
 *
 * File specifications and names are at most 1,023 characters (database body
 * names 255); longer ones are refused with an error, never cut or overrun. */
QVB_API QVB_Handle QVB_Create(int a, int b);
QVB_API QVB_Handle QVB_CreateByType(int a, int b, int type);
QVB_API QVB_Handle QVB_CreateFromFileByIndex(const char *file, int index);
QVB_API QVB_Handle QVB_CreateFromFileByIndex_SurfaceMesh(const char *file, int index);
/* "part.qvb::2" is body 2 of part.qvb, "db.master::3" body 3 of the database,
 * no selector body 1. "db.master::wing" (a selector that does not start with
 * a digit) selects by name: the database backend receives the whole
 * argument as the file name and index 0. */
QVB_API QVB_Handle QVB_CreateFromQVB(const char *specification);
/* Asks the backend for a body without registering the result. */
QVB_API QVB_Handle QVB_FindQVB(const char *file, int index);
QVB_API int QVB_BodyCount(const char *file);
QVB_API int QVB_GetBodyInfo(const char *file, int index, void *info);
/* selector receives the int body index, or the text after "::" when that text
 * does not start with a digit (the caller provides room for it). */
QVB_API void QVB_ParseFileName(const char *specification, char *file, void *selector);
QVB_API void QVB_ParseDBFileName(const char *specification, char *file, char *body_name);
/* Splits "file::selector" as the storage backends and the commands read it
 * (docs/user-guide.md, "Opening bodies"): a body file takes a body number
 * (digits only, from 1), a database (".master") a number, "*" or a body name;
 * trailing blanks are ignored. On success returns 1 and fills file (at most
 * file_size bytes with the NUL), *index (the body number, 0 when none was
 * given or a database body is named) and name (the database body's name, ""
 * otherwise; name_size bytes). Returns 0 with an error message when the
 * selector is not valid for the file or a text does not fit its buffer. */
QVB_API int qvb_ParseBodySelector(const char *specification, char *file, int file_size, int *index, char *name,
                                  int name_size);
/* 0 for a handle that no creation function returned (no message). */
QVB_API int QVB_IsValid(QVB_Handle h);
QVB_API void QVB_FreeMemory(void *memory);
QVB_API void QVB_Terminate(void);
QVB_API int QVB_DB2QVB(void);
QVB_API int QVB_write_DB(QVB_Handle h, void *ignored1, void *ignored2);

/* Body-level exports that do work of their own. */
/* ".qvb" names are written as given, "db.master::name" as body "name" of the
 * database ("*" without a name), any other name with ".qvb" appended. */
QVB_API int QVB_write_QVB(QVB_Handle h, const char *file);
/* QVB_SetFaceList with the count node numbers given as further int arguments. */
QVB_API int QVB_SetFace(QVB_Handle h, int count, ...);
/* Index of the node nearest to point[3] (among the interface nodes when asked
 * and there are any); ties keep the first found; -1 for a body without nodes. */
QVB_API int QVB_ClosestNode(QVB_Handle h, double *point, int interface_only);

/* One forwarding export per body-level slot: the call goes to the backend that
 * created the body, arguments and result unchanged. A handle that no creation
 * function returned is reported through QVB_Error and gets 0, 0.0 or null. */
#define QVB_FWD(ordinal, result, name, params, args) QVB_API result name params;
#define QVB_OWN(ordinal, result, name, params, args)
#define QVB_RSV(ordinal)
#include "qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV

QVB_EXTERN_C_END

#endif
