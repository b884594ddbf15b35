// The database backend: the shared body-level operations plus bodies kept by
// name in a SQLite database. The front finds it as "dbvflex" and looks up the
// two entry points below.
#include <cstring>

#include "body_database.h"
#include "database_spec.h"
#include "qvb/qvb_database.h"
#include "slot_support.h"
#include "storage_writers.h"

namespace qvb::dbvflex {
namespace {

using body::guarded;
using body::reportError;

QVB_Handle open(const char *specification, int index, bool surfaceOnly, const char *operation) {
  return guarded(operation, static_cast<QVB_Handle>(nullptr), [&]() -> QVB_Handle {
    if (specification == nullptr) {
      reportError("%s: no database name", operation);
      return nullptr;
    }
    const DatabaseSpec spec = parseDatabaseSpec(specification, index);
    std::string error;
    std::unique_ptr<body::Body> b = database::readBody(spec.path, spec.index, spec.name, surfaceOnly, &error);
    return body::adoptReadBody(std::move(b), error);
  });
}

QVB_Handle CreateFromFile(const char *file) { return open(file, 1, false, "QVB_CreateFromFileByIndex"); }
QVB_Handle CreateSurfaceMesh(const char *file) { return open(file, 1, true, "QVB_CreateFromFileByIndex_SurfaceMesh"); }
QVB_Handle CreateFromFileByIndex(const char *file, int index) {
  return open(file, index, false, "QVB_CreateFromFileByIndex");
}
QVB_Handle CreateSurfaceMeshByIndex(const char *file, int index) {
  return open(file, index, true, "QVB_CreateFromFileByIndex_SurfaceMesh");
}

int BodyCount(const char *file) {
  return guarded("QVB_BodyCount", -1, [&] {
    std::string error;
    const int count = database::bodyCount(parseDatabaseSpec(file, 1).path, &error);
    if (count < 0) reportError("%s", error.c_str());
    return count;
  });
}

// Fills a QVB_BodyInfo; 1 on success, 0 (with a message) otherwise.
int GetBodyInfo(const char *file, int index, void *out) {
  return guarded("QVB_GetBodyInfo", 0, [&] {
    if (out == nullptr) {
      reportError("QVB_GetBodyInfo: no record to fill");
      return 0;
    }
    database::BodyInfo info;
    std::string error;
    if (!database::bodyInfo(parseDatabaseSpec(file, 1).path, index, &info, &error)) {
      reportError("%s", error.c_str());
      return 0;
    }
    auto *record = static_cast<QVB_BodyInfo *>(out);
    std::memset(record, 0, sizeof *record);
    body::copyText(record->name, info.name, sizeof record->name);
    record->node_count = info.nodeCount;
    record->mode_count = info.modeCount;
    body::copyText(record->created, info.created, sizeof record->created);
    body::copyText(record->modified, info.modified, sizeof record->modified);
    return 1;
  });
}

// Not a body: a non-null token when the database holds the body asked for,
// so that nothing needs releasing.
QVB_Handle FindBody(const char *file, int index) {
  return guarded("QVB_FindQVB", static_cast<QVB_Handle>(nullptr), [&]() -> QVB_Handle {
    const DatabaseSpec spec = parseDatabaseSpec(file, index);
    std::string error;
    const int count = database::bodyCount(spec.path, &error);
    if (count <= 0) return nullptr;
    if (spec.name.empty()) return spec.index <= count ? reinterpret_cast<QVB_Handle>(static_cast<intptr_t>(spec.index)) : nullptr;
    for (int i = 1; i <= count; ++i) {
      database::BodyInfo info;
      if (database::bodyInfo(spec.path, i, &info, &error) && info.name == spec.name)
        return reinterpret_cast<QVB_Handle>(static_cast<intptr_t>(i));
    }
    return nullptr;
  });
}

QVB_Handle FindFirstBody(const char *file) { return FindBody(file, 1); }

}  // namespace
}  // namespace qvb::dbvflex

extern "C" __attribute__((visibility("default"))) void PopulateInterface(s_FLEX_INTERFACE *table) {
  using namespace qvb::dbvflex;
  qvb::storage::populateTable(table, 1,
                              {FindFirstBody, CreateFromFile, CreateSurfaceMesh, CreateFromFileByIndex,
                               CreateSurfaceMeshByIndex, BodyCount, GetBodyInfo});
}

extern "C" __attribute__((visibility("default"))) void SetMessageHandlers(s_MSG_HANDLERS *handlers) {
  qvb::body::setMessageHandlers(handlers);
}

static_assert(std::is_same_v<decltype(&PopulateInterface), QVB_PopulateInterfaceFn>);
static_assert(std::is_same_v<decltype(&SetMessageHandlers), QVB_SetMessageHandlersFn>);
