#include "storage_slots.h"

#include <string>

#include "body_database.h"
#include "body_file.h"
#include "body_to_write.h"
#include "slot_support.h"

namespace qvb::storage {

using body::reportError;

int writeBodyFile(QVB_Handle h, const char *file) {
  return body::withBody(h, "QVB_write_QVB", 0, [&](body::Body &b) {
    if (file == nullptr) {
      reportError("QVB_write_QVB: no file name");
      return 0;
    }
    qvbflex::FileSpec spec;
    std::string error;
    if (!qvbflex::parseFileSpec(file, &spec, &error)) {
      reportError("%s", error.c_str());
      return 0;
    }
    const coarsening::BodyToWrite target = coarsening::bodyToWrite(b, spec.path);
    if (target.body == nullptr) return 0;
    if (!qvbflex::writeBody(spec.path, *target.body, spec.index, &error)) {
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
    const coarsening::BodyToWrite target = coarsening::bodyToWrite(b, file);
    if (target.body == nullptr) return 0;
    std::string error;
    if (!database::writeBody(file, *target.body, bodyName ? bodyName : "*", &error)) {
      reportError("Failed to write the body to %s", error.c_str());
      return 0;
    }
    return 1;
  });
}

namespace {

const Store *g_store = nullptr;

QVB_Handle open(const char *name, int index, bool surfaceOnly, const char *operation) {
  return body::guarded(body::reportError, operation, static_cast<QVB_Handle>(nullptr), [&]() -> QVB_Handle {
    if (name == nullptr) {
      reportError("%s: no file name", operation);
      return nullptr;
    }
    std::string error;
    return body::adoptReadBody(g_store->read(name, index, surfaceOnly, &error), error);
  });
}

QVB_Handle CreateFromFile(const char *file) { return open(file, 0, false, "QVB_CreateFromFileByIndex"); }
QVB_Handle CreateSurfaceMesh(const char *file) { return open(file, 0, true, "QVB_CreateFromFileByIndex_SurfaceMesh"); }
QVB_Handle CreateFromFileByIndex(const char *file, int index) {
  return open(file, index, false, "QVB_CreateFromFileByIndex_DB");
}
QVB_Handle CreateSurfaceMeshByIndex(const char *file, int index) {
  return open(file, index, true, "QVB_CreateFromFileByIndex_SurfaceMesh_DB");
}

int BodyCount(const char *file) {
  return body::guarded(body::reportError, "QVB_BodyCount", -1, [&] {
    std::string error;
    const int count = g_store->count(file, &error);
    if (count < 0) reportError("%s", error.c_str());
    return count;
  });
}

}  // namespace

void populateTable(s_FLEX_INTERFACE *table, const Store &store) {
  if (table == nullptr) return;
  g_store = &store;
  *table = s_FLEX_INTERFACE{};
  body::setFlexType(store.flexType);
  body::fillBodySlots(*table);
  table->QVB_write_QVB = writeBodyFile;
  table->QVB_write_QVB_DB = writeDatabase;
  table->QVB_FindQVB = store.find;
  table->QVB_CreateFromFileByIndex = CreateFromFile;
  table->QVB_CreateFromFileByIndex_SurfaceMesh = CreateSurfaceMesh;
  table->QVB_CreateFromFileByIndex_DB = CreateFromFileByIndex;
  table->QVB_CreateFromFileByIndex_SurfaceMesh_DB = CreateSurfaceMeshByIndex;
  table->QVB_BodyCount = BodyCount;
  if (store.info != nullptr) table->QVB_GetBodyInfo = store.info;
}

}  // namespace qvb::storage
