// A storage backend plug-in that records every call and answers from the
// script held by the control library. Built as qvbflex.so and dbvflex.so
// (FAKE_BACKEND_NAME), and without SetMessageHandlers or PopulateInterface
// for refusal tests (FAKE_WITHOUT_MESSAGE_HANDLERS,
// FAKE_WITHOUT_POPULATE_INTERFACE).
#include <cstdio>
#include <exception>
#include <type_traits>
#include <utility>

#include "fake_backend.h"

#ifndef FAKE_BACKEND_NAME
#error "FAKE_BACKEND_NAME must name the backend this plug-in stands for"
#endif

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using qvbfake::Call;
using qvbfake::Result;
using qvbfake::Value;

Value toValue(int number) { return {Value::Kind::kInt, number, 0.0, {}, nullptr}; }
Value toValue(double number) { return {Value::Kind::kDouble, 0, number, {}, nullptr}; }
template <class T>
Value toValue(T *address) {
  return {Value::Kind::kPointer, 0, 0.0, {}, const_cast<void *>(static_cast<const void *>(address))};
}

// Input strings are copied: the caller's buffer may be gone by the time a
// test looks. Output buffers are char *, not const char *, and keep only
// their address (their contents are not initialised).
Value toValue(const char *text) {
  Value value = toValue<const char>(text);
  if (text != nullptr) {
    value.kind = Value::Kind::kText;
    value.text = text;
  }
  return value;
}

// Recorder(slot, name)(arguments...) records one call and returns its result.
class Recorder {
 public:
  Recorder(int slot, const char *name) : slot_(slot), name_(name) {}

  template <class... Arguments>
  Result operator()(Arguments... arguments) const {
    try {
      Call call;
      call.backend = FAKE_BACKEND_NAME;
      call.slot = slot_;
      call.name = name_;
      (call.args.push_back(toValue(arguments)), ...);
      return qvbfake::detail::dispatch(std::move(call));
    } catch (const std::exception &error) {
      // The caller is C: nothing may be thrown back into it.
      std::fprintf(stderr, "fake %s: %s failed: %s\n", FAKE_BACKEND_NAME, name_, error.what());
      return Result();
    }
  }

 private:
  int slot_;
  const char *name_;
};

template <class T>
T as(const Result &result) {
  if constexpr (std::is_pointer_v<T>)
    return static_cast<T>(result.p);
  else if constexpr (std::is_same_v<T, double>)
    return result.d;
  else
    return result.i;
}

// Unused in the variant without PopulateInterface, which hands out no table.
#define QVB_FWD(ordinal, result, name, params, args) \
  [[maybe_unused]] result fake_##name params { return as<result>(Recorder(ordinal, #name) args); }
#define QVB_OWN QVB_FWD
#define QVB_RSV(ordinal) \
  [[maybe_unused]] void fake_reserved_##ordinal(void) { Recorder(ordinal, "reserved_" #ordinal)(); }
#include "qvb/qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV

}  // namespace

#ifndef FAKE_WITHOUT_POPULATE_INTERFACE
FAKE_EXPORT void PopulateInterface(s_FLEX_INTERFACE *table) {
  Recorder(qvbfake::slot::kPopulateInterface, "PopulateInterface")(table);
  using qvbfake::detail::slotOmitted;
#define QVB_FWD(ordinal, result, name, params, args) \
  table->name = slotOmitted(ordinal) ? nullptr : fake_##name;
#define QVB_OWN QVB_FWD
#define QVB_RSV(ordinal) \
  table->reserved_##ordinal = slotOmitted(ordinal) ? nullptr : fake_reserved_##ordinal;
#include "qvb/qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV
}
#endif

#ifndef FAKE_WITHOUT_MESSAGE_HANDLERS
FAKE_EXPORT void SetMessageHandlers(s_MSG_HANDLERS *handlers) {
  Recorder(qvbfake::slot::kSetMessageHandlers, "SetMessageHandlers")(handlers);
  qvbfake::detail::rememberMessageHandlers(handlers);
}
#endif

FAKE_EXPORT void _initialize(void) { Recorder(qvbfake::slot::kInitialize, "_initialize")(); }
FAKE_EXPORT void _terminate(void) { Recorder(qvbfake::slot::kTerminate, "_terminate")(); }
