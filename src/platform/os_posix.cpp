// POSIX implementation of the OS table (dlopen, stat, getenv, uname).
#include "platform/os.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/utsname.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace qvb::platform {
namespace {

void *hostOpen(const char *path) { return ::dlopen(path, RTLD_NOW | RTLD_LOCAL); }
void *hostSymbol(void *handle, const char *name) { return ::dlsym(handle, name); }
void hostClose(void *handle) { ::dlclose(handle); }
const char *hostTakeError() { return ::dlerror(); }

bool hostIsLoadableFile(const char *path) {
  struct stat status;
  return ::stat(path, &status) == 0 && !S_ISDIR(status.st_mode);
}

const char *hostGetEnv(const char *name) { return std::getenv(name); }

bool hostIdentify(SystemIdentity *identity) {
  struct utsname names;
  if (::uname(&names) != 0) return false;
  identity->systemName = names.sysname;
  identity->release = names.release;
  return true;
}

double hostWallClock() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() / 1000.0;
}

const OsInterface kHost = {hostOpen,   hostSymbol,   hostClose,    hostTakeError, hostIsLoadableFile,
                           hostGetEnv, hostIdentify, hostWallClock};

const OsInterface *g_current = &kHost;

// The kept failure text. Static storage with no destructor: libraries are
// still unloaded by other static objects' destructors at process exit. Plain
// state, like the rest of the loader: used from one thread at a time.
char g_lastError[1025];
bool g_hasLastError = false;

void forgetError() {
  os().takeLibraryError();  // drop anything stale left by earlier calls
  g_hasLastError = false;
}

void keepError() {
  const char *text = os().takeLibraryError();
  g_hasLastError = text != nullptr;
  if (text != nullptr) std::snprintf(g_lastError, sizeof g_lastError, "%s", text);
}

}  // namespace

const OsInterface &hostOs() { return kHost; }
const OsInterface &os() { return *g_current; }
void installOs(const OsInterface *replacement) { g_current = replacement != nullptr ? replacement : &kHost; }

void *openLibrary(const char *path) {
  if (path == nullptr) return nullptr;
  forgetError();
  void *handle = os().openLibrary(path);
  if (handle == nullptr) keepError();
  return handle;
}

void *findSymbol(void *handle, const char *name) {
  if (handle == nullptr || name == nullptr) return nullptr;
  forgetError();
  void *address = os().findSymbol(handle, name);
  if (address == nullptr) keepError();
  return address;
}

void *probeSymbol(void *handle, const char *name) {
  if (handle == nullptr || name == nullptr) return nullptr;
  void *address = os().findSymbol(handle, name);
  if (address == nullptr) os().takeLibraryError();
  return address;
}

void closeLibrary(void *handle) {
  if (handle != nullptr) os().closeLibrary(handle);
}

const char *lastLibraryError() { return g_hasLastError ? g_lastError : nullptr; }

bool isLoadableFile(const char *path) { return path != nullptr && *path != '\0' && os().isLoadableFile(path); }

const char *getEnv(const char *name) { return name != nullptr ? os().getEnv(name) : nullptr; }

bool identifySystem(SystemIdentity *identity) { return identity != nullptr && os().identifySystem(identity); }

double wallClock() { return os().wallClock(); }

}  // namespace qvb::platform
