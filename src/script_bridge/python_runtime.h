// The interpreter runtime that runs the coarsening script.
//
// The runtime is a shared library loaded by name when needed and never
// linked, so the library works (less this feature) on machines without it.
// Only fifteen entry points are used; they are looked up by name into a
// table. No reference is ever released: every object made while the
// interpreter runs lives until it is finalized, which keeps the bridge free
// of the interpreter's object layout.
#pragma once

#include <cstddef>
#include <string>

namespace qvb::coarsen {

// An interpreter object; only ever handled by pointer.
struct PythonObject;

struct PythonEntryPoints {
  void (*Py_Initialize)();
  void (*Py_Finalize)();
  PythonObject *(*PyLong_FromLong)(long value);
  PythonObject *(*PyUnicode_FromString)(const char *text);
  PythonObject *(*PyImport_ImportModule)(const char *name);
  PythonObject *(*PyObject_GetAttrString)(PythonObject *object, const char *name);
  PythonObject *(*PyList_New)(std::ptrdiff_t size);
  int (*PyList_Append)(PythonObject *list, PythonObject *item);
  PythonObject *(*PyTuple_Pack)(std::ptrdiff_t count, ...);
  PythonObject *(*PyObject_CallObject)(PythonObject *callable, PythonObject *arguments);
  void (*PyErr_Fetch)(PythonObject **type, PythonObject **value, PythonObject **traceback);
  void (*PyErr_NormalizeException)(PythonObject **type, PythonObject **value, PythonObject **traceback);
  void (*PyErr_Restore)(PythonObject *type, PythonObject *value, PythonObject *traceback);
  PythonObject *(*PyObject_Str)(PythonObject *object);
  const char *(*PyUnicode_AsUTF8)(PythonObject *text);
};

// The environment variable that names the runtime to load (a path, or a
// name looked up on the plug-in search path). Without it the runtime found
// when the library was built is used.
inline constexpr const char *kPythonLibraryVariable = "QVB_PYTHON_LIBRARY";

// The name the runtime will be loaded under.
std::string pythonRuntimeName();

// Loads the runtime unless it is already held, then looks the entry points
// up into a fresh table. False only when the load failed; *why (if given)
// then says what the loader reported.
bool bindPythonRuntime(std::string *why);

// The table of the last binding when every entry point was found; null
// otherwise, with the first missing name in *missing (if given).
const PythonEntryPoints *completeEntryPoints(std::string *missing);

// Releases the runtime if it is held, and forgets the table with it.
void releasePythonRuntime();

}  // namespace qvb::coarsen
