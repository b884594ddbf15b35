// The body-file backend: the shared body-level operations plus reading and
// writing .qvb files. The front finds it as "qvbflex" and looks up the two
// entry points below.
#include "body_file.h"
#include "slot_support.h"
#include "storage_writers.h"

namespace qvb::qvbflex {
namespace {

using body::guarded;
using body::reportError;

// Trailing blanks of fixed-length Fortran names and a "::k" selector are
// accepted here too, so that a specification that reaches the backend
// unparsed still names the right body.
QVB_Handle open(const char *specification, int index, bool surfaceOnly, const char *operation) {
  return guarded(operation, static_cast<QVB_Handle>(nullptr), [&]() -> QVB_Handle {
    if (specification == nullptr) {
      reportError("%s: no file name", operation);
      return nullptr;
    }
    FileSpec spec = parseFileSpec(specification);
    if (index <= 0) index = spec.index > 0 ? spec.index : 1;
    std::string error;
    std::unique_ptr<body::Body> b = readBody(spec.path, index, surfaceOnly, &error);
    return body::adoptReadBody(std::move(b), error);
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
  return guarded("QVB_BodyCount", -1, [&] {
    std::string error;
    int count = bodyCount(parseFileSpec(file).path, &error);
    if (count < 0) reportError("%s", error.c_str());
    return count;
  });
}

// Not a body: a non-null token when the file holds at least one body, so that
// nothing needs releasing.
QVB_Handle FindQVB(const char *file) {
  return guarded("QVB_FindQVB", static_cast<QVB_Handle>(nullptr), [&]() -> QVB_Handle {
    std::string error;
    int count = bodyCount(parseFileSpec(file).path, &error);
    return count > 0 ? reinterpret_cast<QVB_Handle>(static_cast<intptr_t>(count)) : nullptr;
  });
}

}  // namespace
}  // namespace qvb::qvbflex

extern "C" __attribute__((visibility("default"))) void PopulateInterface(s_FLEX_INTERFACE *table) {
  using namespace qvb::qvbflex;
  qvb::storage::populateTable(table, 0,
                              {FindQVB, CreateFromFile, CreateSurfaceMesh, CreateFromFileByIndex,
                               CreateSurfaceMeshByIndex, BodyCount, nullptr});
}

extern "C" __attribute__((visibility("default"))) void SetMessageHandlers(s_MSG_HANDLERS *handlers) {
  qvb::body::setMessageHandlers(handlers);
}

static_assert(std::is_same_v<decltype(&PopulateInterface), QVB_PopulateInterfaceFn>);
static_assert(std::is_same_v<decltype(&SetMessageHandlers), QVB_SetMessageHandlersFn>);
