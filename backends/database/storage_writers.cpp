#include "storage_writers.h"

#include <string>

#include "body_database.h"
#include "body_file.h"
#include "slot_support.h"

namespace qvb::storage {

using body::reportError;

int writeBodyFile(QVB_Handle h, const char *file) {
  return body::withBody(h, "QVB_write_QVB", 0, [&](body::Body &b) {
    if (file == nullptr) {
      reportError("QVB_write_QVB: no file name");
      return 0;
    }
    const qvbflex::FileSpec spec = qvbflex::parseFileSpec(file);
    std::string error;
    if (!qvbflex::writeBody(spec.path, b, spec.index, &error)) {
      reportError("%s", error.c_str());
      return 0;
    }
    return 1;
  });
}

int writeDatabase(QVB_Handle h, const char *file, const char *bodyName) {
  return body::withBody(h, "QVB_write_QVB", 0, [&](body::Body &b) {
    if (file == nullptr) {
      reportError("QVB_write_QVB: no database name");
      return 0;
    }
    std::string error;
    if (!database::writeBody(file, b, bodyName ? bodyName : "*", &error)) {
      reportError("Failed to write the body to %s", error.c_str());
      return 0;
    }
    return 1;
  });
}

void fillWriteSlots(s_FLEX_INTERFACE &table) {
  table.QVB_write_QVB = writeBodyFile;
  table.QVB_write_QVB_DB = writeDatabase;
}

void populateTable(s_FLEX_INTERFACE *table, int flexType, const StorageReaders &readers) {
  if (table == nullptr) return;
  *table = s_FLEX_INTERFACE{};
  body::setFlexType(flexType);
  body::fillBodySlots(*table);
  fillWriteSlots(*table);
  table->QVB_FindQVB = readers.find;
  table->QVB_CreateFromFileByIndex = readers.open;
  table->QVB_CreateFromFileByIndex_SurfaceMesh = readers.openSurface;
  table->QVB_CreateFromFileByIndex_DB = readers.openByIndex;
  table->QVB_CreateFromFileByIndex_SurfaceMesh_DB = readers.openSurfaceByIndex;
  table->QVB_BodyCount = readers.count;
  if (readers.info != nullptr) table->QVB_GetBodyInfo = readers.info;
}

}  // namespace qvb::storage
