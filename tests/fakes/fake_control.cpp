// The shared state behind the fake plug-ins: the call record and the scripts.
#include <cstdint>
#include <map>
#include <set>

#include "fake_backend.h"

namespace qvbfake {
namespace {

struct State {
  std::vector<Call> calls;
  std::map<int, Result> results;
  std::map<int, Hook> hooks;
  std::set<int> omitted;
  s_MSG_HANDLERS *handlers = nullptr;
};

State &state() {
  static State shared;
  return shared;
}

// Distinct, recognisable, never dereferenced; kept across reset() so that a
// handle from an earlier test never comes back in a later one.
std::uintptr_t g_nextHandle = 0x7e5700000000u;

bool isCreationSlot(int slot) {
  return slot == slot::QVB_Create || slot == slot::QVB_FindQVB ||
         slot == slot::QVB_CreateFromFileByIndex ||
         slot == slot::QVB_CreateFromFileByIndex_SurfaceMesh ||
         slot == slot::QVB_CreateFromFileByIndex_DB ||
         slot == slot::QVB_CreateFromFileByIndex_SurfaceMesh_DB;
}

// Array arguments whose length is another argument: (h, count, int *list).
void captureIntArray(Call &call) {
  if (call.slot != slot::QVB_SetFaceList && call.slot != slot::QVB_RenumberInterfaceNodes) return;
  const int count = call.args[1].i;
  const auto *list = static_cast<const int *>(call.args[2].pointer);
  if (list != nullptr && count > 0) call.ints.assign(list, list + count);
}

Result defaultResult(int slot) {
  if (isCreationSlot(slot)) {
    void *handle = reinterpret_cast<void *>(g_nextHandle);
    g_nextHandle += 0x10;
    return Result(handle);
  }
  return Result(1);
}

}  // namespace

void reset() { state() = State(); }

std::vector<Call> calls() { return state().calls; }

std::vector<Call> callsTo(int slot) {
  std::vector<Call> found;
  for (const Call &call : state().calls)
    if (call.slot == slot) found.push_back(call);
  return found;
}

std::size_t countOf(int slot) { return callsTo(slot).size(); }

std::optional<Call> lastCall(int slot) {
  const auto &all = state().calls;
  for (auto call = all.rbegin(); call != all.rend(); ++call)
    if (call->slot == slot) return *call;
  return std::nullopt;
}

void setResult(int slot, Result result) { state().results[slot] = result; }
void setHook(int slot, Hook hook) { state().hooks[slot] = std::move(hook); }
void omitSlot(int slot) { state().omitted.insert(slot); }
QVB_Handle peekNextHandle() { return reinterpret_cast<void *>(g_nextHandle); }
s_MSG_HANDLERS *messageHandlers() { return state().handlers; }

namespace detail {

Result dispatch(Call call) {
  captureIntArray(call);
  State &shared = state();
  shared.calls.push_back(call);
  const auto hook = shared.hooks.find(call.slot);
  if (hook != shared.hooks.end()) return hook->second(call);
  const auto scripted = shared.results.find(call.slot);
  if (scripted != shared.results.end()) return scripted->second;
  return defaultResult(call.slot);
}

bool slotOmitted(int slot) { return state().omitted.count(slot) != 0; }

void rememberMessageHandlers(s_MSG_HANDLERS *handlers) { state().handlers = handlers; }

}  // namespace detail
}  // namespace qvbfake
