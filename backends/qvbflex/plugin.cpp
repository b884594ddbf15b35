// The body-file backend: the shared body-level operations plus reading and
// writing .qvb files. The front finds it as "qvbflex" and looks up the two
// entry points below.
#include "body_file.h"
#include "slot_support.h"
#include "storage_slots.h"
#include "util/body_selector.h"

namespace qvb::qvbflex {
namespace {

// Trailing blanks of fixed-length Fortran names and a "::k" selector are
// accepted here too, so that a file name that reaches the backend unparsed
// still names the right body.
std::unique_ptr<body::Body> read(const char *name, int index, bool surfaceOnly, std::string *error) {
  FileSpec file;
  if (!parseFileSpec(name, &file, error)) return nullptr;
  if (!util::combineBodyNumbers(name, file.index, index, &index, error)) return nullptr;
  return readBody(file.path, index, surfaceOnly, error);
}

int count(const char *name, std::string *error) {
  FileSpec file;
  return parseFileSpec(name, &file, error) ? bodyCount(file.path, error) : -1;
}

// Not a body: a non-null token when the file holds at least one body, so that
// nothing needs releasing.
QVB_Handle FindQVB(const char *file) {
  return body::guarded(body::reportError, "QVB_FindQVB", static_cast<QVB_Handle>(nullptr), [&]() -> QVB_Handle {
    std::string error;
    const int bodies = count(file, &error);
    return bodies > 0 ? reinterpret_cast<QVB_Handle>(static_cast<intptr_t>(bodies)) : nullptr;
  });
}

const storage::Store kBodyFiles{0, read, count, FindQVB, nullptr};

}  // namespace
}  // namespace qvb::qvbflex

extern "C" __attribute__((visibility("default"))) void PopulateInterface(s_FLEX_INTERFACE *table) {
  qvb::storage::populateTable(table, qvb::qvbflex::kBodyFiles);
}

extern "C" __attribute__((visibility("default"))) void SetMessageHandlers(s_MSG_HANDLERS *handlers) {
  qvb::body::setMessageHandlers(handlers);
}

static_assert(std::is_same_v<decltype(&PopulateInterface), QVB_PopulateInterfaceFn>);
static_assert(std::is_same_v<decltype(&SetMessageHandlers), QVB_SetMessageHandlersFn>);
