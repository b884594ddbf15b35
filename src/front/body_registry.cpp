#include "front/body_registry.h"

#include <cstring>
#include <map>

namespace qvb::front {
namespace {

// Ordered by pointer value. Allocated once and never destroyed, so that a
// host calling into the library from its own exit handlers still finds it.
std::map<QVB_Handle, s_FLEX_INTERFACE *> &registry() {
  static auto *bodies = new std::map<QVB_Handle, s_FLEX_INTERFACE *>;
  return *bodies;
}

// The table is laid out as an array of code pointers, slot n at n pointers
// from its start (checked at compile time elsewhere).
bool slotFilled(const s_FLEX_INTERFACE *table, int slot) {
  void (*entry)(void) = nullptr;
  std::memcpy(&entry, reinterpret_cast<const char *>(table) + slot * sizeof entry, sizeof entry);
  return entry != nullptr;
}

}  // namespace

void registerBody(QVB_Handle handle, s_FLEX_INTERFACE *table) { registry()[handle] = table; }

s_FLEX_INTERFACE *registeredTable(QVB_Handle handle) {
  const auto found = registry().find(handle);
  return found == registry().end() ? nullptr : found->second;
}

s_FLEX_INTERFACE *tableForCall(QVB_Handle handle, int slot, const char *function) {
  s_FLEX_INTERFACE *table = registeredTable(handle);
  if (table == nullptr) {
    QVB_Error("%s: %p is not a body handle made by this library", function, handle);
    return nullptr;
  }
  if (!slotFilled(table, slot)) {
    QVB_Error("%s: the body's backend does not provide this operation", function);
    return nullptr;
  }
  return table;
}

void clearRegistry() { registry().clear(); }

}  // namespace qvb::front
