// Creating bodies, asking files about their bodies, validity, releasing
// backend memory and tearing everything down.

#include <string>

#include "front/backend_binding.h"
#include "front/body_registry.h"
#include "front/file_kind.h"
#include "front/file_selector.h"
#include "qvb/qvb_interface.h"
#include "util/body_selector.h"
#include "util/c_boundary.h"

using namespace qvb::front;
using qvb::util::guarded;

namespace {

// A backend-wide slot that the backend left empty cannot be called.
template <class Slot>
bool provides(Slot slot, const char *function) {
  if (slot != nullptr) return true;
  QVB_Error("%s: the backend does not provide this operation", function);
  return false;
}

bool haveFileName(const char *file, const char *function) {
  if (file != nullptr) return true;
  QVB_Error("%s: no file name given", function);
  return false;
}

// The creation result is registered whatever it is (null included), so that
// the registry always tells which backend made a value it handed out.
QVB_Handle registered(QVB_Handle body, s_FLEX_INTERFACE *table) {
  registerBody(body, table);
  return body;
}

// Body files select by index inside the backend's own name handling, so the
// body-file slots take the name alone; databases take the index.
QVB_Handle createFromFile(const char *function, const char *file, FileKind kind, int index, bool surfaceMesh) {
  if (kind == kOtherFile) return nullptr;
  s_FLEX_INTERFACE *table = bindBackend(kind);
  if (table == nullptr) return nullptr;
  if (kind == kBodyFile) {
    auto slot = surfaceMesh ? table->QVB_CreateFromFileByIndex_SurfaceMesh
                            : table->QVB_CreateFromFileByIndex;
    return provides(slot, function) ? registered(slot(file), table) : nullptr;
  }
  auto slot = surfaceMesh ? table->QVB_CreateFromFileByIndex_SurfaceMesh_DB
                          : table->QVB_CreateFromFileByIndex_DB;
  return provides(slot, function) ? registered(slot(file, index), table) : nullptr;
}

}  // namespace

extern "C" {

QVB_API QVB_Handle QVB_Create(int a, int b) { return QVB_CreateByType(a, b, kBodyFile); }

QVB_API QVB_Handle QVB_CreateByType(int a, int b, int type) {
  return guarded<QVB_Handle>(QVB_Error, "QVB_CreateByType", nullptr, [&]() -> QVB_Handle {
    if (type != kBodyFile && type != kDatabase) return nullptr;
    s_FLEX_INTERFACE *table = bindBackend(static_cast<FileKind>(type));
    if (table == nullptr || !provides(table->QVB_Create, "QVB_CreateByType")) return nullptr;
    return registered(table->QVB_Create(a, b), table);
  });
}

QVB_API QVB_Handle QVB_CreateFromFileByIndex(const char *file, int index) {
  return guarded<QVB_Handle>(QVB_Error, "QVB_CreateFromFileByIndex", nullptr, [&]() -> QVB_Handle {
    if (!haveFileName(file, "QVB_CreateFromFileByIndex")) return nullptr;
    return createFromFile("QVB_CreateFromFileByIndex", file, fileKindOf(file), index, false);
  });
}

QVB_API QVB_Handle QVB_CreateFromFileByIndex_SurfaceMesh(const char *file, int index) {
  return guarded<QVB_Handle>(QVB_Error, "QVB_CreateFromFileByIndex_SurfaceMesh", nullptr, [&]() -> QVB_Handle {
    if (!haveFileName(file, "QVB_CreateFromFileByIndex_SurfaceMesh")) return nullptr;
    return createFromFile("QVB_CreateFromFileByIndex_SurfaceMesh", file, fileKindOf(file), index, true);
  });
}

// The by-index creation takes the storage kind from the last "." of the whole
// text, so "fleet.master::ccx2qvb: bracket.inp" (a database body stored under
// a converter's title) would be read as an ".inp" file. Here the text is cut
// at its first "::" before anything else; the store still gets the whole text
// and reads the selector by the same grammar.
QVB_API QVB_Handle qvb_OpenBody(const char *specification, int surfaceOnly) {
  static const char *const function = "qvb_OpenBody";
  return guarded<QVB_Handle>(QVB_Error, function, nullptr, [&]() -> QVB_Handle {
    if (!acceptText(function, "file specification", specification, kFileNameBufferSize)) return nullptr;
    qvb::util::BodySelection selection;
    std::string error;
    if (!qvb::util::parseBodySelection(specification, qvb::util::SelectorGrammar::kFromExtension, &selection, &error)) {
      QVB_Error("%s", error.c_str());
      return nullptr;
    }
    const FileKind kind = fileKindOf(selection.file.c_str());
    if (kind == kOtherFile) {
      QVB_Error("%s: not a body file (.qvb) or a body database (.master)", selection.file.c_str());
      return nullptr;
    }
    return createFromFile(function, specification, kind, selection.index, surfaceOnly != 0);
  });
}

// "file::N" selects body N, "file" body 1. A database body may also be
// chosen by name ("db.master::wing"): the index cannot carry a name, so the
// database backend then receives the whole specification, selector included,
// as the file name and 0 as the index (no body has index 0). The database
// backend splits such a name at its "::" the way QVB_ParseDBFileName does.
QVB_API QVB_Handle QVB_CreateFromQVB(const char *specification) {
  static const char *const function = "QVB_CreateFromQVB";
  return guarded<QVB_Handle>(QVB_Error, function, nullptr, [&]() -> QVB_Handle {
    if (!acceptText(function, "file specification", specification, kFileNameBufferSize))
      return nullptr;
    const FileSpec spec = splitFileSpec(specification);
    const FileKind kind = fileKindOf(spec.file.c_str());
    if (kind == kOtherFile) return nullptr;
    s_FLEX_INTERFACE *table = bindBackend(kind);
    if (table == nullptr) return nullptr;
    if (kind == kBodyFile) {
      if (!provides(table->QVB_CreateFromFileByIndex, function)) return nullptr;
      return registered(table->QVB_CreateFromFileByIndex(spec.file.c_str()), table);
    }
    if (!provides(table->QVB_CreateFromFileByIndex_DB, function)) return nullptr;
    const bool byName = spec.hasSelector && !spec.selectorIsIndex();
    QVB_Handle body = byName ? table->QVB_CreateFromFileByIndex_DB(specification, 0)
                             : table->QVB_CreateFromFileByIndex_DB(spec.file.c_str(), spec.index());
    return registered(body, table);
  });
}

// Looks a body up without registering it: the result is the backend's answer
// to "is it there", not a body this library will forward calls for.
QVB_API QVB_Handle QVB_FindQVB(const char *file, int index) {
  static const char *const function = "QVB_FindQVB";
  return guarded<QVB_Handle>(QVB_Error, function, nullptr, [&]() -> QVB_Handle {
    if (!haveFileName(file, function)) return nullptr;
    const FileKind kind = fileKindOf(file);
    s_FLEX_INTERFACE *table = bindBackend(kind);
    if (table == nullptr) return nullptr;
    if (kind == kBodyFile)
      return provides(table->QVB_FindQVB, function) ? table->QVB_FindQVB(file) : nullptr;
    return provides(table->QVB_CreateFromFileByIndex_DB, function)
               ? table->QVB_CreateFromFileByIndex_DB(file, index)
               : nullptr;
  });
}

// A body file is taken to hold one body without opening it, so body files can
// be counted even where their backend is not installed.
QVB_API int QVB_BodyCount(const char *file) {
  static const char *const function = "QVB_BodyCount";
  return guarded(QVB_Error, function, -1, [&] {
    if (!haveFileName(file, function)) return -1;
    const FileKind kind = fileKindOf(file);
    if (kind == kBodyFile) return 1;
    if (kind == kOtherFile) return -1;
    s_FLEX_INTERFACE *table = bindBackend(kind);
    if (table == nullptr || !provides(table->QVB_BodyCount, function)) return -1;
    return table->QVB_BodyCount(file);
  });
}

QVB_API int QVB_GetBodyInfo(const char *file, int index, void *info) {
  static const char *const function = "QVB_GetBodyInfo";
  return guarded(QVB_Error, function, 0, [&] {
    if (!haveFileName(file, function)) return 0;
    const FileKind kind = fileKindOf(file);
    if (kind == kBodyFile) return 1;
    if (kind == kOtherFile) return 0;
    s_FLEX_INTERFACE *table = bindBackend(kind);
    if (table == nullptr || !provides(table->QVB_GetBodyInfo, function)) return 0;
    return table->QVB_GetBodyInfo(file, index, info);
  });
}

// The one body-level query that is meant for doubtful handles: an unknown
// handle is simply not valid, and says so without a message.
QVB_API int QVB_IsValid(QVB_Handle h) {
  s_FLEX_INTERFACE *table = registeredTable(h);
  if (table == nullptr || table->QVB_IsValid == nullptr) return 0;
  return table->QVB_IsValid(h);
}

QVB_API void QVB_FreeMemory(void *memory) { releaseBackendMemory(memory); }

QVB_API void QVB_Terminate(void) {
  // A plug-in's terminate code may call back in; the outer call finishes the job.
  static bool ending = false;
  if (ending) return;
  ending = true;
  guarded(QVB_Error, "QVB_Terminate", 0, [] {
    unbindAll();
    clearRegistry();
    return 0;
  });
  ending = false;
}

// Kept for hosts that still call them; there is nothing left for them to do.
QVB_API int QVB_DB2QVB(void) { return 0; }

QVB_API int QVB_write_DB(QVB_Handle h, void *ignored1, void *ignored2) {
  (void)h;
  (void)ignored1;
  (void)ignored2;
  return 1;
}

}  // extern "C"
