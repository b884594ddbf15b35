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
/* A new empty body (of the body-file backend) with room for about that many nodes and modes. */
QVB_API QVB_Handle QVB_Create(int node_capacity, int mode_capacity);
/* A new empty body of a storage kind: type 0 body file, 1 database; null otherwise. */
QVB_API QVB_Handle QVB_CreateByType(int node_capacity, int mode_capacity, int type);
/* Reads a body. The storage kind comes from the last "." of the whole text, so
 * the file is handed to its store with any "::" selector; a database also gets
 * index, the body number (from 1; 0 or less: the selector's, else body 1). */
QVB_API QVB_Handle QVB_CreateFromFileByIndex(const char *file, int index);
/* As QVB_CreateFromFileByIndex, reading only the nodes and faces. */
QVB_API QVB_Handle QVB_CreateFromFileByIndex_SurfaceMesh(const char *file, int index);
/* "db.master::3" is body 3 of the database, no selector body 1. For a body
 * file the selector is cut off and not passed on: "part.qvb::2" opens body 1
 * (qvb_OpenBody opens body 2). "db.master::wing" (a selector that does not
 * start with a digit) selects by name: the database backend receives the
 * whole argument as the file name and index 0. */
QVB_API QVB_Handle QVB_CreateFromQVB(const char *specification);
/* Asks the backend for a body without registering the result. */
QVB_API QVB_Handle QVB_FindQVB(const char *file, int index);
/* The number of bodies a file holds: 1 for any body file, -1 for other names. */
QVB_API int QVB_BodyCount(const char *file);
/* Fills *(QVB_BodyInfo *)info for body `index` (from 1) of a database; 1 for a body file, untouched. */
QVB_API int QVB_GetBodyInfo(const char *file, int index, void *info);
/* selector receives the int body index, or the text after "::" when that text
 * does not start with a digit (the caller provides room for it). */
QVB_API void QVB_ParseFileName(const char *specification, char *file, void *selector);
/* Splits "db.master::name" into the file and the body name ("*" without one). */
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
/* Opens the body a "file::selector" names, the whole body or (surface_only
 * nonzero) its surface mesh. Unlike the creation functions above, the storage
 * kind is taken from the text before the first "::", so database bodies whose
 * names hold a "." ("fleet.master::ccx2qvb: bracket.inp") open too. Null, with
 * the reason reported, for a selector the file does not take, a file that is
 * neither ".qvb" nor ".master", or a body the store cannot read. */
QVB_API QVB_Handle qvb_OpenBody(const char *specification, int surface_only);
/* 0 for a handle that no creation function returned (no message). */
QVB_API int QVB_IsValid(QVB_Handle h);
/* Releases an array a backend handed out (QVB_InterfaceNodeIDs, QVB_Invar2, ...). */
QVB_API void QVB_FreeMemory(void *memory);
/* Shuts both backends down and unloads them; every body becomes invalid. */
QVB_API void QVB_Terminate(void);
/* Kept for older hosts: does nothing and returns 0. */
QVB_API int QVB_DB2QVB(void);
/* Kept for older hosts: does nothing and returns 1. */
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
