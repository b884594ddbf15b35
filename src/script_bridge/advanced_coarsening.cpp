// The advanced coarsening: hands the body's surface to the "tolvane" script
// in an embedded interpreter, then points the writer options at the sketch
// file the script made.
//
// The interpreter lives only for one call: it is initialized, runs the
// script once and is finalized, and its runtime is unloaded again, so a
// failed script cannot leave state behind for the next call.
#include "qvb/qvb_coarsen.h"

#include "script_bridge/body_text.h"
#include "script_bridge/coarsening_options.h"
#include "script_bridge/python_runtime.h"
#include "script_bridge/writer_options_rewrite.h"
#include "front/body_registry.h"
#include "platform/process_environment.h"
#include "qvb/qvb_messages.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace qvb::coarsen {
namespace {

constexpr const char *kOptionsVariable = "TRX_QVBWRITE_OPTIONS";
constexpr const char *kScriptModule = "tolvane";
constexpr const char *kScriptFunction = "driver";

// Builds the script's arguments and calls it. Any null result ends the
// attempt with the interpreter's error pending.
class ScriptCall {
 public:
  explicit ScriptCall(const PythonEntryPoints &py) : py_(py) {}

  bool run(QVB_Handle body, const char *bodyFile, const CoarseningRequest &request) {
    PythonObject *module = py_.PyImport_ImportModule(kScriptModule);
    if (module == nullptr) return false;
    PythonObject *driver = py_.PyObject_GetAttrString(module, kScriptFunction);
    if (driver == nullptr) return false;

    PythonObject *nodeNumbers = py_.PyList_New(0);
    if (nodeNumbers == nullptr) return false;
    for (long number : request.nodeNumbers) {
      if (!append(nodeNumbers, py_.PyLong_FromLong(number))) return false;
    }
    PythonObject *nodeLines = textList(bodyNodeLines(body));
    if (nodeLines == nullptr) return false;
    PythonObject *faceLines = textList(bodyFaceLines(body));
    if (faceLines == nullptr) return false;
    PythonObject *interfaceLines = textList(bodyInterfaceLines(body));
    if (interfaceLines == nullptr) return false;

    PythonObject *valueText = py_.PyUnicode_FromString(request.valueText.c_str());
    PythonObject *valueFlag = valueText != nullptr ? py_.PyLong_FromLong(request.valueFlag) : nullptr;
    PythonObject *level = valueFlag != nullptr ? py_.PyLong_FromLong(request.levelCode) : nullptr;
    PythonObject *file = level != nullptr ? py_.PyUnicode_FromString(bodyFile) : nullptr;
    PythonObject *sketch = file != nullptr ? py_.PyUnicode_FromString(request.sketchName.c_str()) : nullptr;
    if (sketch == nullptr) return false;

    PythonObject *arguments = py_.PyTuple_Pack(9, sketch, file, level, valueFlag, valueText, nodeNumbers,
                                               nodeLines, faceLines, interfaceLines);
    if (arguments == nullptr) return false;
    // What the script returns is its own business; only a raised error
    // (a null result) is a failure.
    return py_.PyObject_CallObject(driver, arguments) != nullptr;
  }

 private:
  bool append(PythonObject *list, PythonObject *item) {
    return item != nullptr && py_.PyList_Append(list, item) == 0;
  }

  PythonObject *textList(const std::vector<std::string> &lines) {
    PythonObject *list = py_.PyList_New(0);
    if (list == nullptr) return nullptr;
    for (const std::string &line : lines) {
      if (!append(list, py_.PyUnicode_FromString(line.c_str()))) return nullptr;
    }
    return list;
  }

  const PythonEntryPoints &py_;
};

// Reports the interpreter's pending error (its type, then its value) and
// leaves it pending, as it was found.
void reportScriptError(const PythonEntryPoints &py) {
  std::printf("\n");
  std::fflush(stdout);
  PythonObject *type = nullptr;
  PythonObject *value = nullptr;
  PythonObject *traceback = nullptr;
  py.PyErr_Fetch(&type, &value, &traceback);
  py.PyErr_NormalizeException(&type, &value, &traceback);
  for (PythonObject *part : {type, value}) {
    if (part == nullptr) continue;
    PythonObject *text = py.PyObject_Str(part);
    const char *utf8 = text != nullptr ? py.PyUnicode_AsUTF8(text) : nullptr;
    if (utf8 != nullptr) QVB_Error("%s", utf8);
  }
  py.PyErr_Restore(type, value, traceback);
}

// One interpreter session around the script call.
bool runScript(const PythonEntryPoints &py, QVB_Handle body, const char *bodyFile,
               const CoarseningRequest &request) {
  py.Py_Initialize();
  bool ran = false;
  std::string failure;
  try {
    ran = ScriptCall(py).run(body, bodyFile, request);
  } catch (const std::exception &error) {
    failure = error.what();
  } catch (...) {
    failure = "unknown exception";
  }
  if (!ran) {
    reportScriptError(py);
    if (!failure.empty()) QVB_Error("Advanced coarsening stopped: %s", failure.c_str());
  }
  py.Py_Finalize();
  return ran;
}

bool advancedCoarsening(QVB_Handle body, const char *bodyFile, const char *options) {
  if (bodyFile == nullptr) bodyFile = "";
  if (options == nullptr) options = "";
  const ParsedCoarseningOptions parsed = parseCoarseningOptions(options, bodyFile);
  if (!parsed.ok) {
    QVB_Error("%s", parsed.error.c_str());
    return false;
  }
  // Every body query would fail one by one and hand the script an empty
  // surface; one clear message before the interpreter starts is better.
  if (qvb::front::registeredTable(body) == nullptr) {
    QVB_Error("QVB_AdvancedCoarsening: %p is not a body handle made by this library", body);
    return false;
  }

  std::string why;
  if (!bindPythonRuntime(&why)) {
    QVB_Error("Python library cannot be loaded.");
    if (!why.empty()) QVB_Error("%s", why.c_str());
    return false;
  }
  // All fifteen entry points are needed; a runtime that lacks one is as
  // unusable as one that would not load.
  std::string missing;
  const PythonEntryPoints *py = completeEntryPoints(&missing);
  if (py == nullptr) {
    QVB_Error("Python library cannot be loaded.");
    QVB_Error("The interpreter runtime has no entry point %s.", missing.c_str());
    releasePythonRuntime();
    return false;
  }

  const bool ran = runScript(*py, body, bodyFile, parsed.request);
  releasePythonRuntime();
  if (!ran) return false;

  const RewrittenWriterOptions rewritten = rewriteWriterOptions(options, parsed.request.sketchName);
  if (rewritten.userSketchDropped) QVB_Warning("User defined \"sketch\" option is ignored.");
  if (!qvb::platform::putEnvironment(kOptionsVariable, rewritten.options)) {
    QVB_Error("Cannot set %s to the new writer options.", kOptionsVariable);
    return false;
  }
  return true;
}

}  // namespace
}  // namespace qvb::coarsen

// With C++ linkage and a boolean result, like Py_LoadLibrary and
// Py_UnloadLibrary, the interpreter bridge's other two exports.
QVB_API bool QVB_AdvancedCoarsening(QVB_Handle body, const char *file, const char *options) {
  try {
    return qvb::coarsen::advancedCoarsening(body, file, options);
  } catch (const std::exception &error) {
    QVB_Error("Advanced coarsening failed: %s", error.what());
  } catch (...) {
    QVB_Error("Advanced coarsening failed.");
  }
  return false;
}
