// The message channel of a backend: the error, warning and information
// functions that the front hands over through SetMessageHandlers. Before that
// (a backend used on its own, as in tests) messages go to standard error.
#pragma once

#include "qvb/qvb_messages.h"

namespace qvb::body {

void setMessageHandlers(const s_MSG_HANDLERS *handlers);

void reportError(const char *format, ...) QVB_PRINTF_LIKE;
void reportWarning(const char *format, ...) QVB_PRINTF_LIKE;
void reportInfo(const char *format, ...) QVB_PRINTF_LIKE;

}  // namespace qvb::body
