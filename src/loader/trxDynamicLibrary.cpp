#include "loader/trxDynamicLibrary.h"

#include "loader/trxLoadLog.h"
#include "loader/trxLoader.h"

trxDynamicLibrary::trxDynamicLibrary() { trxLoadLog::openIfRequested(); }

trxDynamicLibrary::~trxDynamicLibrary() { unload(); }

std::optional<std::string> trxDynamicLibrary::resolve(const char *name) { return search_.resolve(name); }

bool trxDynamicLibrary::load(const char *name) {
  trxLoadLog::line("Loading: ", name);
  // A record already held stays held (and counted): callers unload first.
  search_.clear();
  if (name == nullptr || *name == '\0') {
    trxLoader::setErrorText("No library name was given to load.");
    trxLoadLog::line("   ERROR: ", trxLoader::errorBuffer());
    return false;
  }
  const std::optional<std::string> fullName = resolve(name);
  trxLoadLog::line("   Full Name: ", fullName ? fullName->c_str() : name);
  if (!fullName) {
    trxLoader::setErrorText(search_.notLocatedMessage().c_str());
    trxLoadLog::line("   ERROR: ", trxLoader::errorBuffer());
    return false;
  }
  if (trxLoader::isLoaded(fullName->c_str()) > 0) {
    record_ = trxLoader::acquire(fullName->c_str());
    trxLoadLog::line("   Already loaded");
    return record_ != nullptr;
  }
  record_ = trxLoader::load(fullName->c_str(), nullptr);
  if (record_ != nullptr) {
    trxLoadLog::line("   Load OK");
  } else {
    trxLoadLog::line("   Not Loaded");
    trxLoadLog::line("   ERROR: ", trxLoader::errorBuffer());
  }
  return record_ != nullptr;
}

bool trxDynamicLibrary::load(const char *name, const char **errorBuffer) {
  const bool loaded = load(name);
  if (errorBuffer != nullptr) *errorBuffer = trxLoader::errorBuffer();
  return loaded;
}

void *trxDynamicLibrary::findSymbol(const char *symbol) const {
  void *address = record_ != nullptr ? record_->findSymbol(symbol) : nullptr;
  const std::string outcome = std::string(symbol != nullptr ? symbol : "") + (address ? " Found" : " Not Found");
  trxLoadLog::line("Looking for function: ", outcome.c_str());
  return address;
}

void trxDynamicLibrary::unload() {
  if (record_ == nullptr) return;
  trxLoadLog::line("Unloading: ", record_->path().c_str());
  // Copy the path: the record may be destroyed by the unload.
  const std::string path = record_->path();
  record_ = nullptr;
  trxLoader::unload(path.c_str());
}

bool trxDynamicLibrary::isLoaded() const { return record_ != nullptr; }

const char *trxDynamicLibrary::errorText() const {
  return record_ != nullptr ? record_->formatErrorText() : trxLoader::errorBuffer();
}

const char *trxDynamicLibrary::path() const { return record_ != nullptr ? record_->path().c_str() : ""; }
