// What every body-level slot needs: the registry of live bodies, the guard
// that keeps exceptions inside the backend, unit conversion, and handing
// arrays and texts to callers.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <type_traits>
#include <string>
#include <vector>

#include "body.h"
#include "messages.h"
#include "qvb/qvb_interface.h"
#include "util/c_boundary.h"

namespace qvb::body {

using util::copyCut;
using util::guarded;

// The file kind this backend serves (0 body files, 1 databases), reported by
// GetFlexType; set once by the plug-in.
void setFlexType(int type);
int flexType();

QVB_Handle registerBody(std::unique_ptr<Body> body);
// The body behind a handle, or null after reporting "<operation>: ... is not
// a body" when the handle is not one of this backend's live bodies.
Body *findBody(QVB_Handle handle, const char *operation);
bool isLiveBody(QVB_Handle handle);
// Registers a body a storage reader produced, or reports the reader's error
// and gives null when it produced none.
QVB_Handle adoptReadBody(std::unique_ptr<Body> body, const std::string &error);
void destroyBody(QVB_Handle handle);
void destroyAllBodies();

// Runs `work(body)` on the body behind the handle, guarded.
template <typename R, typename F>
R withBody(QVB_Handle handle, const char *operation, R failure, F &&work) {
  return guarded(reportError, operation, failure, [&]() -> R {
    Body *body = findBody(handle, operation);
    if (body == nullptr) return failure;
    // Work that takes the body as const only reads it; anything else may
    // change it, so values derived from it are forgotten before and after.
    if constexpr (std::is_invocable_v<F &, const Body &>) {
      return work(static_cast<const Body &>(*body));
    } else {
      body->forgetComputedInvariants();
      struct Forget {
        Body &body;
        ~Forget() { body.forgetComputedInvariants(); }
      } forget{*body};
      return work(*body);
    }
  });
}

// Factor from stored to current units, and back.
inline double toCurrent(const Body &b, Dimension d) { return conversionFactor(b.storedUnits, b.currentUnits, d); }
inline double toStored(const Body &b, Dimension d) { return conversionFactor(b.currentUnits, b.storedUnits, d); }
// Dimension of the values of one result kind and part (0 translational or
// normal, 1 rotational or shear).
Dimension modeDimension(int kind, int part);

// A malloc'd copy of values (released by FreeMemory or free), each times
// `factor`; null for no values. Throws std::bad_alloc.
double *handOut(const std::vector<double> &values, double factor = 1.0);
int *handOut(const std::vector<int> &values);

// The report of an operation this backend does not model.
void notSupported(const char *operation);

// Checks for the common argument errors; each reports and returns false.
bool validKind(int kind, const char *operation);
bool validNodeIndex(const Body &b, int index, const char *operation);
bool validModeIndex(const Body &b, int index, const char *operation);
bool notNull(const void *pointer, const char *operation);

// The slot families; each fills its part of the table.
void fillNodeSlots(s_FLEX_INTERFACE &table);
void fillGeometrySlots(s_FLEX_INTERFACE &table);
void fillModeSlots(s_FLEX_INTERFACE &table);
void fillMatrixSlots(s_FLEX_INTERFACE &table);
void fillLoadSlots(s_FLEX_INTERFACE &table);
void fillOperatorSlots(s_FLEX_INTERFACE &table);

// Every slot that does not depend on the storage (all but creation from a
// file, writing and the file queries, which the plug-in fills afterwards).
void fillBodySlots(s_FLEX_INTERFACE &table);

// Writes a readable dump of one block (1..37) in the current units.
void writeContents(const Body &body, int block, std::FILE *stream);

}  // namespace qvb::body
