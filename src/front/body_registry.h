// The process-wide body registry: which backend table serves each body handle.
#pragma once

#include "qvb/qvb_interface.h"

namespace qvb::front {

// Enters (or replaces) the table for a handle. A null handle is entered like
// any other value: the creation slot's result is not judged by the front.
void registerBody(QVB_Handle handle, s_FLEX_INTERFACE *table);

// The table registered for a handle, or null.
s_FLEX_INTERFACE *registeredTable(QVB_Handle handle);

// The table for a body-level call. A handle that no creation function
// returned, or whose backend left the needed slot empty, is reported through
// QVB_Error naming the export, and null comes back so that the export can
// return 0 or null instead of calling through an unknown pointer.
s_FLEX_INTERFACE *tableForCall(QVB_Handle handle, int slot, const char *function);

void clearRegistry();

}  // namespace qvb::front
