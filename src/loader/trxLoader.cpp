#include "loader/trxLoader.h"

#include "platform/os.h"

#include <cstdio>
#include <exception>
#include <map>

namespace {

using Registry = std::map<std::string, trxLoader *>;

// Created on first use, freed when the last record goes. A heap pointer
// rather than a static map: libraries may still be unloaded by destructors
// of other static objects at process exit, after a static map would be gone.
Registry *g_registry = nullptr;

// The error buffer lives in static storage rather than beside the registry:
// callers keep the pointer that the error-returning load handed out, and a
// freed buffer would leave them dangling. "Freeing" it empties it.
char g_errorBuffer[trxLoader::kErrorBufferSize];

Registry &registry() {
  if (g_registry == nullptr) {
    g_registry = new Registry;
    g_errorBuffer[0] = '\0';
  }
  return *g_registry;
}

void releaseRegistryIfEmpty() {
  if (g_registry != nullptr && g_registry->empty()) {
    delete g_registry;
    g_registry = nullptr;
    g_errorBuffer[0] = '\0';
  }
}

bool isBlank(const char *name) { return name == nullptr || *name == '\0'; }

// Replaces every pair of backslashes with "/", which makes doubled
// separators in a Windows-style name readable in the text.
std::string readablePath(const std::string &path) {
  std::string result;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') {
      result += '/';
      ++i;
    } else {
      result += path[i];
    }
  }
  return result;
}

}  // namespace

// The system's text is used as text, never as a format: "%" signs in it
// become blanks, except that a first "%1" insert is where the library's name
// goes. The dynamic loader here reports failures as text only; it has no
// numeric error code, so where a code would be quoted the text says so.
std::string trxFormatLoaderError(const std::string &path, const char *systemText) {
  const std::string name = readablePath(path);
  if (systemText == nullptr) {
    return "Dynamic library " + name + " error.\nThe dynamic loader gave no error text and no error code.";
  }
  std::string text;
  bool insertedName = false;
  for (const char *p = systemText; *p != '\0'; ++p) {
    if (*p != '%') {
      text += *p;
    } else if (!insertedName && p[1] == '1') {
      text += name;
      insertedName = true;
      ++p;
    } else {
      text += ' ';
    }
  }
  // Unlike some systems' texts, the loader's does not end in a line break;
  // add one so the closing sentence starts a new line.
  if (text.empty() || text.back() != '\n') text += '\n';
  const char *closing = "The dynamic loader reported this as text; it gives no error code.";
  if (insertedName) return text + closing;
  return "Dynamic library " + name + " error.\n" + text + closing;
}

std::string trxLoader::keyOf(const std::string &fullName) {
  const std::size_t separator = fullName.find_last_of("/\\");
  return separator == std::string::npos ? fullName : fullName.substr(separator + 1);
}

std::string trxLoader::baseNameOf(const std::string &fullName) {
  std::string base = keyOf(fullName);
  const std::size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.erase(dot);
  if (base.size() > 3 && base.compare(0, 3, "lib") == 0) base.erase(0, 3);
  return base;
}

char *trxLoader::errorBuffer() { return g_errorBuffer; }

void trxLoader::setErrorText(const char *text) {
  std::snprintf(g_errorBuffer, kErrorBufferSize, "%s", text != nullptr ? text : "");
}

trxLoader::trxLoader(const char *fullName) : path_(fullName) {}

trxLoader::~trxLoader() {
  if (handle_ == nullptr) return;
  callEntryPoint("_terminate");
  qvb::platform::closeLibrary(handle_);
  handle_ = nullptr;
}

// Entry points are optional: "_initialize" / "_terminate", or the same
// prefixed with the base name, defined in the library itself (never one of
// its dependencies'). Probing must not leave a "symbol not found" text
// behind, since a library without them is perfectly normal.
void trxLoader::callEntryPoint(const char *suffix) const {
  void *entry = qvb::platform::probeOwnSymbol(handle_, suffix);
  if (entry == nullptr) entry = qvb::platform::probeOwnSymbol(handle_, (baseNameOf(path_) + suffix).c_str());
  if (entry != nullptr) reinterpret_cast<void (*)()>(entry)();
}

const char *trxLoader::formatErrorText() const {
  setErrorText(trxFormatLoaderError(path_, qvb::platform::lastLibraryError()).c_str());
  return g_errorBuffer;
}

void *trxLoader::findSymbol(const char *symbol) const { return qvb::platform::findSymbol(handle_, symbol); }

trxLoader *trxLoader::load(const char *fullName, const char **errorOut) {
  try {
    Registry &records = registry();
    if (isBlank(fullName)) {
      setErrorText("Bad logic in trxLoader::load; entered with a NULL library name");
      if (errorOut != nullptr) *errorOut = g_errorBuffer;
      return nullptr;
    }
    const std::string key = keyOf(fullName);
    if (auto found = records.find(key); found != records.end()) {
      ++found->second->references_;
      return found->second;
    }
    auto *record = new trxLoader(fullName);
    record->handle_ = qvb::platform::openLibrary(fullName);
    // Format before the entry point runs: what it does must not change the
    // account of whether the open itself worked.
    record->formatErrorText();
    if (record->handle_ == nullptr) {
      if (errorOut != nullptr) *errorOut = g_errorBuffer;
      delete record;
      return nullptr;
    }
    records[key] = record;
    record->callEntryPoint("_initialize");
    return record;
  } catch (const std::exception &failure) {
    std::printf("Exception message is: %s\n", failure.what());
  } catch (...) {
    std::printf("Exception message is: %s\n", "unknown exception");
  }
  return nullptr;
}

int trxLoader::isLoaded(const char *fullName) {
  if (isBlank(fullName)) return -1;
  if (g_registry == nullptr) return 0;
  const auto found = g_registry->find(keyOf(fullName));
  return found == g_registry->end() ? 0 : found->second->references_;
}

trxLoader *trxLoader::acquire(const char *fullName) {
  if (isBlank(fullName) || g_registry == nullptr) return nullptr;
  const auto found = g_registry->find(keyOf(fullName));
  if (found == g_registry->end()) return nullptr;
  ++found->second->references_;
  return found->second;
}

void trxLoader::unload(const char *fullName) {
  if (isBlank(fullName) || g_registry == nullptr) return;
  const auto found = g_registry->find(keyOf(fullName));
  if (found == g_registry->end()) return;
  trxLoader *record = found->second;
  if (--record->references_ > 0) return;
  g_registry->erase(found);
  delete record;
  releaseRegistryIfEmpty();
}
