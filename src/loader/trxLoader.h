// trxLoader: one loaded library file, shared by every trxDynamicLibrary that
// loads a file of that name.
//
// A process-wide registry maps the file name (the text after the last "/" or
// "\") to its record, so a second load of the same name - even from another
// directory - only adds a reference. The library's "_initialize" entry point
// (or "<base>_initialize") runs when the record is created, "_terminate" (or
// "<base>_terminate") when the last reference goes. The registry is created
// on first use and freed when its last record is removed.
#pragma once

#include <cstddef>
#include <string>

class trxLoader {
 public:
  // Size of the loader's error buffer: 1,024 characters and a NUL. Every
  // text stored there is cut to fit.
  static constexpr std::size_t kErrorBufferSize = 1025;

  // Loads the file, or adds a reference when its name is registered.
  // Returns the record, or null; on failure *errorOut (when not null) is set
  // to the error buffer, which then holds the reason.
  static trxLoader *load(const char *fullName, const char **errorOut);

  // Reference count of the record registered under the name's key; 0 when
  // there is none; -1 for a null or empty name.
  static int isLoaded(const char *fullName);

  // Adds one reference to the registered record and returns it; null when
  // the name is not registered.
  static trxLoader *acquire(const char *fullName);

  // Drops one reference; the last one closes the file and removes the record.
  static void unload(const char *fullName);

  // The error buffer (always valid; empty until something is stored).
  static char *errorBuffer();
  // Copies text into the error buffer, cut to 1,024 characters.
  static void setErrorText(const char *text);

  // The registry key of a full file name: the text after the last separator.
  static std::string keyOf(const std::string &fullName);
  // "C:\x\libqvbflex.dll" -> "qvbflex": the key without its extension and
  // without a leading "lib" (when more than "lib" remains).
  static std::string baseNameOf(const std::string &fullName);

  // Formats this record's system error text into the error buffer and
  // returns the buffer.
  const char *formatErrorText() const;

  void *findSymbol(const char *symbol) const;
  const std::string &path() const { return path_; }
  int referenceCount() const { return references_; }

  virtual ~trxLoader();

  trxLoader(const trxLoader &) = delete;
  trxLoader &operator=(const trxLoader &) = delete;

 private:
  explicit trxLoader(const char *fullName);
  void callEntryPoint(const char *suffix) const;

  int references_ = 1;
  std::string path_;
  void *handle_ = nullptr;
};

// The text for a loader failure on library `path`, given the system's text
// (null when it gave none). Kept apart from the record for testing.
std::string trxFormatLoaderError(const std::string &path, const char *systemText);
