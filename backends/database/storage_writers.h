// The two write slots, shared by both plug-ins: a body is written by the
// backend that owns it, whatever the target, so each plug-in must be able to
// write body files (slot 101) and databases (slot 102).
#pragma once

#include "qvb/qvb_interface.h"

namespace qvb::storage {

// "part.qvb" makes the file hold this body alone; "part.qvb::k" makes the
// body body k of the file (replaced, or appended as the next body).
int writeBodyFile(QVB_Handle h, const char *file);

// Stores the body in the database under bodyName ("*": the body's title).
int writeDatabase(QVB_Handle h, const char *file, const char *bodyName);

// Installs both in a table.
void fillWriteSlots(s_FLEX_INTERFACE &table);

}  // namespace qvb::storage
