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

// The slots that read a plug-in's own storage.
struct StorageReaders {
  QVB_Handle (*find)(const char *file);
  QVB_Handle (*open)(const char *file);
  QVB_Handle (*openSurface)(const char *file);
  QVB_Handle (*openByIndex)(const char *file, int index);
  QVB_Handle (*openSurfaceByIndex)(const char *file, int index);
  int (*count)(const char *file);
  int (*info)(const char *file, int index, void *record);  // null: not offered
};

// Fills a whole table for a plug-in serving file kind `flexType`: the
// body-level operations, both writers and the plug-in's readers.
void populateTable(s_FLEX_INTERFACE *table, int flexType, const StorageReaders &readers);

}  // namespace qvb::storage
