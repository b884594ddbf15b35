// One export per body-level slot, generated from the slot list: find the
// table registered for the handle and call the slot with the same arguments,
// returning its result untouched. Arguments are neither checked nor copied;
// that is the backend's business.
#include "front/body_registry.h"
#include "qvb/qvb_interface.h"

namespace {

// What an export returns when it cannot forward: 0, 0.0 or null.
template <class Result>
Result noResult() {
  return Result();
}

}  // namespace

extern "C" {

#define QVB_FWD(ordinal, result, name, params, args)                         \
  QVB_API result name params {                                               \
    s_FLEX_INTERFACE *table = qvb::front::tableForCall(h, ordinal, #name);   \
    if (table == nullptr) return noResult<result>();                         \
    return table->name args;                                                 \
  }
#define QVB_OWN(ordinal, result, name, params, args)
#define QVB_RSV(ordinal)
#include "qvb/qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV

}  // extern "C"
