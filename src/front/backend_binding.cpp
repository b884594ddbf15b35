#include "front/backend_binding.h"

#include <memory>

#include "loader/trxDynamicLibrary.h"
#include "qvb/qvb_messages.h"

namespace qvb::front {
namespace {

struct Binding {
  const char *stem;
  s_FLEX_INTERFACE *table;       // null while unbound
  trxDynamicLibrary *library;    // the loaded plug-in while bound
};

// Plain pointers with no destructors: nothing is torn down behind the host's
// back at process exit; QVB_Terminate is the one way to unbind.
Binding g_bindings[2] = {{"qvbflex", nullptr, nullptr}, {"dbvflex", nullptr, nullptr}};

// The record handed to every backend. It must outlive the binding (a backend
// may keep the pointer), so it is static and never freed.
s_MSG_HANDLERS g_messageHandlers = {QVB_Error, QVB_Warning, QVB_Info};

void reportBindingFailure(const Binding &binding, const char *why) {
  QVB_Error("%s", why);
  QVB_Error("Fail to load Orvik flexible body library %s", binding.stem);
}

// One attempt to load the plug-in and obtain its table. A library without
// PopulateInterface cannot be bound; one without SetMessageHandlers is refused
// as well, because the backend would then report its problems nowhere. A
// refused library is unloaded at once rather than left for the next attempt.
bool bind(Binding &binding) {
  auto library = std::make_unique<trxDynamicLibrary>();
  if (!library->load(binding.stem)) {
    reportBindingFailure(binding, library->errorText());
    return false;
  }
  auto populate =
      reinterpret_cast<QVB_PopulateInterfaceFn>(library->findSymbol("PopulateInterface"));
  auto setHandlers = populate == nullptr ? nullptr
                                         : reinterpret_cast<QVB_SetMessageHandlersFn>(
                                               library->findSymbol("SetMessageHandlers"));
  if (setHandlers == nullptr) {
    reportBindingFailure(binding, library->errorText());
    return false;  // the library is unloaded as it goes out of scope
  }
  // Zero-filled, so that a slot the backend leaves unset reads as missing
  // instead of as a wild pointer.
  auto *table = new s_FLEX_INTERFACE();
  populate(table);
  setHandlers(&g_messageHandlers);
  binding.library = library.release();
  binding.table = table;
  return true;
}

Binding *bindingOf(FileKind kind) {
  if (kind == kBodyFile) return &g_bindings[0];
  if (kind == kDatabase) return &g_bindings[1];
  return nullptr;
}

// The binding is emptied before the plug-in's code runs: whatever that code
// calls back (QVB_Terminate itself) finds nothing left to end.
void unbind(Binding &binding) {
  std::unique_ptr<s_FLEX_INTERFACE> table(binding.table);
  std::unique_ptr<trxDynamicLibrary> library(binding.library);
  binding.table = nullptr;
  binding.library = nullptr;
  if (table == nullptr) return;
  if (table->QVB_Terminate != nullptr) table->QVB_Terminate();
  library.reset();  // unloads; the plug-in's "_terminate" runs when the last reference goes
}

}  // namespace

s_FLEX_INTERFACE *bindBackend(FileKind kind) {
  Binding *binding = bindingOf(kind);
  if (binding == nullptr) return nullptr;
  if (binding->table == nullptr && !bind(*binding)) return nullptr;
  return binding->table;
}

s_FLEX_INTERFACE *boundTable(FileKind kind) {
  const Binding *binding = bindingOf(kind);
  return binding == nullptr ? nullptr : binding->table;
}

int releaseBackendMemory(void *memory) {
  for (const Binding &binding : g_bindings) {
    if (binding.table == nullptr) continue;
    if (binding.table->QVB_FreeMemory == nullptr) return 0;
    return binding.table->QVB_FreeMemory(memory);
  }
  return 0;
}

void unbindAll() {
  for (Binding &binding : g_bindings) unbind(binding);
}

}  // namespace qvb::front
