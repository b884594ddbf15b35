// A recording stand-in for the two storage backends.
//
// The plug-ins qvbflex.so and dbvflex.so built from fake_plugin.cpp fill all
// 188 slots with recorders. Each call is kept (backend, slot, arguments) in
// the control library libqvb_fake_control.so, which the plug-ins and the test
// both link, so the record outlives the plug-in being unloaded. Results are
// scripted per slot. See README.md for use.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "qvb/qvb_interface.h"

namespace qvbfake {

// Slot numbers by member name: qvbfake::slot::QVB_SetFaceList == 44.
namespace slot {
enum : int {
#define QVB_FWD(ordinal, result, name, params, args) name = ordinal,
#define QVB_OWN QVB_FWD
#define QVB_RSV(ordinal) kReserved##ordinal = ordinal,
#include "qvb/qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV
  // Entry points the plug-in exports, recorded like slots.
  kPopulateInterface = -1,
  kSetMessageHandlers = -2,
  kInitialize = -3,  // "_initialize", run by the loader when the file is opened
  kTerminate = -4    // "_terminate", run when the file is closed
};
}  // namespace slot

// One recorded argument. Strings passed as const char * are copied (a null
// one is recorded as a null Pointer); every other pointer keeps its value
// only, so a hook can write through output pointers.
struct Value {
  enum class Kind { kInt, kDouble, kText, kPointer };
  Kind kind = Kind::kInt;
  int i = 0;
  double d = 0.0;
  std::string text;
  void *pointer = nullptr;  // also the address of a Text
};

struct Call {
  std::string backend;     // "qvbflex" or "dbvflex"
  int slot = 0;            // 0..187, or a negative slot:: entry point
  std::string name;        // member name, e.g. "QVB_SetFaceList"
  std::vector<Value> args;
  // Contents of an int array whose length is an argument: the node list of
  // QVB_SetFaceList (44) and the new ids of QVB_RenumberInterfaceNodes (160).
  std::vector<int> ints;
};

// A scripted result; the recorder returns the member matching the slot's
// result type (int, double, or any pointer).
struct Result {
  Result() = default;
  Result(int value) : i(value) {}                   // NOLINT: implicit on purpose
  Result(double value) : d(value) {}                // NOLINT
  Result(void *value) : p(value) {}                 // NOLINT
  Result(std::nullptr_t) {}                         // NOLINT
  int i = 0;
  double d = 0.0;
  void *p = nullptr;
};

// Runs instead of the scripted result; it may write through the call's
// pointer arguments (fill coordinates, counts, ...).
using Hook = std::function<Result(const Call &)>;

// Forgets every call, script, hook and omitted slot. Call it in SetUp.
void reset();

std::vector<Call> calls();                 // everything, in call order
std::vector<Call> callsTo(int slot);       // one slot, in call order
std::size_t countOf(int slot);
std::optional<Call> lastCall(int slot);

// Without a script, creation slots (0, 1, 2, 3, 140, 141) return a new
// distinct handle each call, int slots return 1 (success), double slots 0.0
// and pointer slots null. Handles are fake addresses: never dereference them.
void setResult(int slot, Result result);
void setHook(int slot, Hook hook);
// The next plug-in to fill a table leaves this slot null.
void omitSlot(int slot);

// The handle the next default creation will return.
QVB_Handle peekNextHandle();

// The record the front handed to SetMessageHandlers (null before any).
s_MSG_HANDLERS *messageHandlers();

// Used by the plug-ins.
namespace detail {
Result dispatch(Call call);
bool slotOmitted(int slot);
void rememberMessageHandlers(s_MSG_HANDLERS *handlers);
}  // namespace detail

}  // namespace qvbfake
