// The storage slots shared by both plug-ins. A body is written by the backend
// that owns it, whatever the target, so each plug-in writes body files
// (slot 101) and databases (slot 102); and opening bodies, counting them and
// the error handling around both are the same for either kind of store, so
// a plug-in only says how its own store is read.
#pragma once

#include <memory>
#include <string>

#include "body.h"
#include "qvb/qvb_interface.h"

namespace qvb::storage {

// "part.qvb" makes the file hold this body alone; "part.qvb::k" makes the
// body body k of the file (replaced, or appended as the next body).
int writeBodyFile(QVB_Handle h, const char *file);

// Stores the body in the database under bodyName ("*": the body's title).
int writeDatabase(QVB_Handle h, const char *file, const char *bodyName);

// What a plug-in reads from its own store.
struct Store {
  int flexType;  // the file kind served: 0 body files, 1 databases
  // The body that `name` selects (its "::" selector, or else `index`, or else
  // the first body); null with *error set.
  std::unique_ptr<body::Body> (*read)(const char *name, int index, bool surfaceOnly, std::string *error);
  // Number of bodies, or -1 with *error set.
  int (*count)(const char *name, std::string *error);
  // A non-null token when the body asked for exists (not a body: nothing to release).
  QVB_Handle (*find)(const char *name);
  // Fills the caller's record for body `index`; null when the store keeps no
  // such records.
  int (*info)(const char *name, int index, void *record);
};

// Fills a whole table: the body-level operations, both writers and the
// creation and file-query slots over `store` (which must outlive the table).
void populateTable(s_FLEX_INTERFACE *table, const Store &store);

}  // namespace qvb::storage
