// Compile-time checks that pin the layout of s_FLEX_INTERFACE: every member
// sits at ordinal x pointer size, so a reordering of the slot list breaks our
// build instead of every backend.
#include <cstddef>

#include "qvb/qvb_interface.h"

#define QVB_FWD(ordinal, result, name, params, args)                        \
  static_assert(offsetof(s_FLEX_INTERFACE, name) == (ordinal) * sizeof(void *), \
                "slot " #ordinal " (" #name ") moved");
#define QVB_OWN QVB_FWD
#define QVB_RSV(ordinal)                                                               \
  static_assert(offsetof(s_FLEX_INTERFACE, reserved_##ordinal) == (ordinal) * sizeof(void *), \
                "reserved slot " #ordinal " moved");
#include "qvb/qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV

static_assert(sizeof(s_FLEX_INTERFACE) == QVB_SLOT_COUNT * sizeof(void *),
              "s_FLEX_INTERFACE must hold exactly 188 slots");
static_assert(sizeof(void *) != 8 || sizeof(s_FLEX_INTERFACE) == 1504,
              "s_FLEX_INTERFACE is 1,504 bytes on 64-bit platforms");
static_assert(offsetof(s_FLEX_INTERFACE, QVB_Create) == 0 &&
                  offsetof(s_FLEX_INTERFACE, QVB_SetFaceList) == 44 * sizeof(void *) &&
                  offsetof(s_FLEX_INTERFACE, QVB_write_QVB) == 101 * sizeof(void *) &&
                  offsetof(s_FLEX_INTERFACE, QVB_FreeMemory) == 108 * sizeof(void *) &&
                  offsetof(s_FLEX_INTERFACE, QVB_CreateFromFileByIndex_DB) == 140 * sizeof(void *) &&
                  offsetof(s_FLEX_INTERFACE, QVB_RotorDynamicsMatrix) == 187 * sizeof(void *),
              "landmark slots 0, 44, 101, 108, 140, 187");
