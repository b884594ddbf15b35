/* The message channel: every diagnostic of the library and its backends. */
#ifndef QVB_MESSAGES_H
#define QVB_MESSAGES_H

#include "qvb_export.h"

QVB_EXTERN_C_BEGIN

/* Severity passed to a handler: 0 error, 1 warning, 2 information. */
typedef void (*QVB_MsgHandler)(const char *message, int severity);

/* The signature of QVB_Error, QVB_Warning and QVB_Info. */
typedef void (*QVB_MsgFunction)(const char *format, ...);

/* Handed to each backend's SetMessageHandlers; never freed by the front. */
typedef struct s_MSG_HANDLERS {
  QVB_MsgFunction error;
  QVB_MsgFunction warning;
  QVB_MsgFunction info;
} s_MSG_HANDLERS;

#if defined(__GNUC__)
#define QVB_PRINTF_LIKE __attribute__((format(printf, 1, 2)))
#else
#define QVB_PRINTF_LIKE
#endif

/* Reports an error: "ERROR:  " and the text on standard error, or to the handler. */
QVB_API void QVB_Error(const char *format, ...) QVB_PRINTF_LIKE;
/* Reports a warning: "WARNING:  " and the text on standard error, or to the handler. */
QVB_API void QVB_Warning(const char *format, ...) QVB_PRINTF_LIKE;
/* Reports information on standard output, or to the handler. */
QVB_API void QVB_Info(const char *format, ...) QVB_PRINTF_LIKE;
/* Sends every later message to handler instead of printing it; null prints again. */
QVB_API void QVB_SetMsgHandler(QVB_MsgHandler handler);

QVB_EXTERN_C_END

#endif
