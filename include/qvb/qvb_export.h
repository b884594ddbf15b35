/* Export macros and the body handle type shared by every public header. */
#ifndef QVB_EXPORT_H
#define QVB_EXPORT_H

#ifdef __cplusplus
#define QVB_EXTERN_C_BEGIN extern "C" {
#define QVB_EXTERN_C_END }
#else
#define QVB_EXTERN_C_BEGIN
#define QVB_EXTERN_C_END
#endif

/* The library is built with hidden visibility; only what carries QVB_API is
 * exported, so the export list stays exactly the documented interface. */
#if defined(__GNUC__)
#define QVB_API __attribute__((visibility("default")))
#else
#define QVB_API
#endif

/* A body handle: opaque, made by a storage backend, passed back unchanged. */
typedef void *QVB_Handle;

#endif
