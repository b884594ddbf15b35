#include "script_bridge/python_runtime.h"

#include "loader/trxDynamicLibrary.h"
#include "platform/library_scope.h"
#include "platform/os.h"
#include "qvb/qvb_coarsen.h"

#include <memory>

#ifndef QVB_PYTHON_RUNTIME_DEFAULT
#define QVB_PYTHON_RUNTIME_DEFAULT ""
#endif

namespace qvb::coarsen {
namespace {

// The one loader object of the interpreter runtime. It exists from the
// moment the library is loaded until process exit, when it lets go of a
// runtime still held.
trxDynamicLibrary g_pythonLibrary;

std::unique_ptr<PythonEntryPoints> g_entryPoints;
std::string g_missingEntryPoint;

template <typename Function>
void bindEntry(Function *&slot, const char *name) {
  slot = reinterpret_cast<Function *>(g_pythonLibrary.findSymbol(name));
  if (slot == nullptr && g_missingEntryPoint.empty()) g_missingEntryPoint = name;
}

void bindEntryPoints() {
  auto table = std::make_unique<PythonEntryPoints>();
  g_missingEntryPoint.clear();
  bindEntry(table->Py_Initialize, "Py_Initialize");
  bindEntry(table->Py_Finalize, "Py_Finalize");
  bindEntry(table->PyLong_FromLong, "PyLong_FromLong");
  bindEntry(table->PyUnicode_FromString, "PyUnicode_FromString");
  bindEntry(table->PyImport_ImportModule, "PyImport_ImportModule");
  bindEntry(table->PyObject_GetAttrString, "PyObject_GetAttrString");
  bindEntry(table->PyList_New, "PyList_New");
  bindEntry(table->PyList_Append, "PyList_Append");
  bindEntry(table->PyTuple_Pack, "PyTuple_Pack");
  bindEntry(table->PyObject_CallObject, "PyObject_CallObject");
  bindEntry(table->PyErr_Fetch, "PyErr_Fetch");
  bindEntry(table->PyErr_NormalizeException, "PyErr_NormalizeException");
  bindEntry(table->PyErr_Restore, "PyErr_Restore");
  bindEntry(table->PyObject_Str, "PyObject_Str");
  bindEntry(table->PyUnicode_AsUTF8, "PyUnicode_AsUTF8");
  g_entryPoints = std::move(table);
}

}  // namespace

std::string pythonRuntimeName() {
  const char *chosen = qvb::platform::getEnv(kPythonLibraryVariable);
  if (chosen != nullptr && *chosen != '\0') return chosen;
  // A build on a machine without a shared runtime falls back to the plain
  // name, which the plug-in search path may still resolve.
  const char *found = QVB_PYTHON_RUNTIME_DEFAULT;
  return *found != '\0' ? found : "python310";
}

bool bindPythonRuntime(std::string *why) {
  if (!g_pythonLibrary.isLoaded()) {
    const char *errorBuffer = nullptr;
    const std::string name = pythonRuntimeName();
    if (!g_pythonLibrary.load(name.c_str(), &errorBuffer)) {
      if (why != nullptr) *why = errorBuffer != nullptr ? errorBuffer : "";
      return false;
    }
    // Without this, a script could import only the modules built into the
    // runtime itself. A failure here shows later as the script's ImportError.
    qvb::platform::shareSymbolsGlobally(g_pythonLibrary.path());
  }
  bindEntryPoints();
  return true;
}

const PythonEntryPoints *completeEntryPoints(std::string *missing) {
  if (g_entryPoints == nullptr) {
    if (missing != nullptr) *missing = "Py_Initialize";
    return nullptr;
  }
  if (!g_missingEntryPoint.empty()) {
    if (missing != nullptr) *missing = g_missingEntryPoint;
    return nullptr;
  }
  return g_entryPoints.get();
}

void releasePythonRuntime() {
  // The table points into the runtime; it must not outlive it.
  g_entryPoints.reset();
  if (g_pythonLibrary.isLoaded()) g_pythonLibrary.unload();
}

}  // namespace qvb::coarsen

// Hosts may bind the runtime ahead of time. Like every binding this makes a
// new entry-point table; whether all fifteen were found is checked only
// when the coarsening runs.
QVB_API bool Py_LoadLibrary() {
  try {
    return qvb::coarsen::bindPythonRuntime(nullptr);
  } catch (...) {
    return false;
  }
}

QVB_API void Py_UnloadLibrary() { qvb::coarsen::releasePythonRuntime(); }
