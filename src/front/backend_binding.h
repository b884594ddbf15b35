// The two backend bindings: body files ("qvbflex") and databases ("dbvflex").
#pragma once

#include "front/file_kind.h"
#include "qvb/qvb_interface.h"

namespace qvb::front {

// The kind's table, binding the backend first when it is unbound. When the
// backend cannot be bound, two errors are reported (the loader's own text,
// then which library failed) and null comes back; the next call tries again.
// Kind 2 has no backend: null without a message.
s_FLEX_INTERFACE *bindBackend(FileKind kind);

// The kind's table when it is bound, else null; never binds.
s_FLEX_INTERFACE *boundTable(FileKind kind);

// Memory a backend handed out goes back through slot 108 of the body-file
// backend when it is bound, else of the database backend; with neither
// bound there is nobody to return it to and nothing happens.
int releaseBackendMemory(void *memory);

// Shuts down the body-file backend, then the database backend: slot 107,
// unload the library, free the table. Both end up unbound.
void unbindAll();

}  // namespace qvb::front
