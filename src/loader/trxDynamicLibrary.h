// trxDynamicLibrary: what a caller holds to use a plug-in library.
//
// It turns a short name ("qvbflex", "libpython3.10.so.1.0", a full path) into
// an existing file on the search path, loads it through the shared registry
// of trxLoader records (one record per file name, reference counted), looks
// up exported functions and reports failures in words.
//
// Typical use:
//   trxDynamicLibrary lib;
//   if (!lib.load("qvbflex")) { QVB_Error("%s", lib.errorText()); return; }
//   auto fill = reinterpret_cast<Fill>(lib.findSymbol("PopulateInterface"));
//   ...
//   lib.unload();
//
// Not thread-safe: the registry, its error buffer and the load log are plain
// process-wide state, used from one thread at a time.
#pragma once

#include "loader/trxLibrarySearch.h"

#include <optional>
#include <string>

class trxLoader;

class trxDynamicLibrary {
 public:
  // Nothing loaded. The first object constructed while the environment
  // variable ORVIK_I_CAN_NOT_LOAD_MY_LIBRARY names a file opens that file as
  // the load log (appending); every load, lookup and unload is written there.
  trxDynamicLibrary();

  // Unloads what is held.
  virtual ~trxDynamicLibrary();

  trxDynamicLibrary(const trxDynamicLibrary &) = delete;
  trxDynamicLibrary &operator=(const trxDynamicLibrary &) = delete;

  // Resolves the name on the search path and loads the file. A file name
  // that is already loaded (from any directory) is shared: its reference
  // count grows and its "_initialize" entry point does not run again.
  // Returns true when a library is held afterwards. On failure errorText()
  // tells why. A library already held is NOT released first: unload()
  // before loading another name into the same object.
  bool load(const char *name);

  // As load(name), and afterwards stores the address of the loader's error
  // buffer (1,025 bytes, NUL-terminated) in *errorBuffer, success or not.
  // The buffer lives in static storage; it is emptied when the last library
  // is unloaded. errorBuffer may be null.
  bool load(const char *name, const char **errorBuffer);

  // Address of an exported symbol of the held library; null when the
  // symbol is missing, when symbol is null, or when nothing is held.
  void *findSymbol(const char *symbol) const;

  // Drops this object's reference to the held library, if any. The file is
  // closed (after its "_terminate" entry point) when the last reference goes.
  void unload();

  // True when a library is held.
  bool isLoaded() const;

  // Why the last operation failed, in words; never null. With a library
  // held it is the system's text for the most recent loader failure (for
  // example a missing symbol); otherwise the loader's error buffer (for
  // example the "could not be located" text of a failed load).
  const char *errorText() const;

  // The full file name that a load of this name would use, or nothing.
  // Also rebuilds the search state that the "could not be located" text
  // describes.
  std::optional<std::string> resolve(const char *name);

  // The full file name of the held library ("" when nothing is held).
  const char *path() const;

 private:
  trxLibrarySearch search_;
  trxLoader *record_ = nullptr;
};
