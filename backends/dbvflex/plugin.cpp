// The database backend: the shared body-level operations plus bodies kept by
// name in a SQLite database. The front finds it as "dbvflex" and looks up the
// two entry points below.
#include <cstring>

#include "body_database.h"
#include "database_selector.h"
#include "qvb/qvb_database.h"
#include "slot_support.h"
#include "storage_slots.h"

namespace qvb::dbvflex {
namespace {

using body::guarded;
using body::reportError;

std::unique_ptr<body::Body> read(const char *name, int index, bool surfaceOnly, std::string *error) {
  DatabaseSelection selection;
  if (!parseDatabaseSelection(name, index, &selection, error)) return nullptr;
  return database::readBody(selection.path, selection.index, selection.name, surfaceOnly, error);
}

int count(const char *name, std::string *error) {
  DatabaseSelection selection;
  return parseDatabaseSelection(name, 0, &selection, error) ? database::bodyCount(selection.path, error) : -1;
}

// Fills a QVB_BodyInfo; 1 on success, 0 (with a message) otherwise.
int GetBodyInfo(const char *file, int index, void *out) {
  return guarded(body::reportError, "QVB_GetBodyInfo", 0, [&] {
    if (out == nullptr) {
      reportError("QVB_GetBodyInfo: no record to fill");
      return 0;
    }
    database::BodyInfo info;
    DatabaseSelection selection;
    std::string error;
    if (!parseDatabaseSelection(file, 0, &selection, &error) ||
        !database::bodyInfo(selection.path, index, &info, &error)) {
      reportError("%s", error.c_str());
      return 0;
    }
    auto *record = static_cast<QVB_BodyInfo *>(out);
    std::memset(record, 0, sizeof *record);
    body::copyCut(record->name, info.name, sizeof record->name);
    record->node_count = info.nodeCount;
    record->mode_count = info.modeCount;
    body::copyCut(record->created, info.created, sizeof record->created);
    body::copyCut(record->modified, info.modified, sizeof record->modified);
    return 1;
  });
}

// Not a body: a non-null token (the body's number) when the database holds
// the body asked for, so that nothing needs releasing.
QVB_Handle FindBody(const char *file) {
  return guarded(body::reportError, "QVB_FindQVB", static_cast<QVB_Handle>(nullptr), [&]() -> QVB_Handle {
    DatabaseSelection selection;
    std::string error;
    if (!parseDatabaseSelection(file, 0, &selection, &error)) return static_cast<QVB_Handle>(nullptr);
    const int number = selection.name.empty()
                           ? (selection.index <= database::bodyCount(selection.path, &error) ? selection.index : 0)
                           : database::bodyNumber(selection.path, selection.name, &error);
    return number > 0 ? reinterpret_cast<QVB_Handle>(static_cast<intptr_t>(number)) : nullptr;
  });
}

const storage::Store kDatabases{1, read, count, FindBody, GetBodyInfo};

}  // namespace
}  // namespace qvb::dbvflex

extern "C" __attribute__((visibility("default"))) void PopulateInterface(s_FLEX_INTERFACE *table) {
  qvb::storage::populateTable(table, qvb::dbvflex::kDatabases);
}

extern "C" __attribute__((visibility("default"))) void SetMessageHandlers(s_MSG_HANDLERS *handlers) {
  qvb::body::setMessageHandlers(handlers);
}

static_assert(std::is_same_v<decltype(&PopulateInterface), QVB_PopulateInterfaceFn>);
static_assert(std::is_same_v<decltype(&SetMessageHandlers), QVB_SetMessageHandlersFn>);
