#include "slot_support.h"

#include <algorithm>
#include <unordered_map>

namespace qvb::body {
namespace {

int g_flexType = 0;

// The live bodies, owned here: unloading the plug-in releases whatever its
// callers left behind.
std::unordered_map<Body *, std::unique_ptr<Body>> &liveBodies() {
  static std::unordered_map<Body *, std::unique_ptr<Body>> bodies;
  return bodies;
}

}  // namespace

void setFlexType(int type) { g_flexType = type; }
int flexType() { return g_flexType; }

QVB_Handle registerBody(std::unique_ptr<Body> body) {
  Body *raw = body.get();
  liveBodies().emplace(raw, std::move(body));
  return raw;
}

QVB_Handle adoptReadBody(std::unique_ptr<Body> body, const std::string &error) {
  if (body) return registerBody(std::move(body));
  reportError("%s", error.c_str());
  return nullptr;
}

bool isLiveBody(QVB_Handle handle) { return liveBodies().count(static_cast<Body *>(handle)) != 0; }

Body *findBody(QVB_Handle handle, const char *operation) {
  if (isLiveBody(handle)) return static_cast<Body *>(handle);
  reportError("%s: %p is not a body of this backend", operation, handle);
  return nullptr;
}

void destroyBody(QVB_Handle handle) {
  liveBodies().erase(static_cast<Body *>(handle));
}

void destroyAllBodies() {
  liveBodies().clear();
}

Dimension modeDimension(int kind, int part) {
  if (kind == kShape) return part == 0 ? dim::kLength : dim::kNone;
  if (kind == kStress) return dim::kStress;
  return dim::kNone;
}

double *handOut(const std::vector<double> &values, double factor) {
  if (values.empty()) return nullptr;
  auto *out = static_cast<double *>(std::malloc(values.size() * sizeof(double)));
  if (out == nullptr) throw std::bad_alloc();
  for (size_t i = 0; i < values.size(); ++i) out[i] = values[i] * factor;
  return out;
}

int *handOut(const std::vector<int> &values) {
  if (values.empty()) return nullptr;
  auto *out = static_cast<int *>(std::malloc(values.size() * sizeof(int)));
  if (out == nullptr) throw std::bad_alloc();
  std::memcpy(out, values.data(), values.size() * sizeof(int));
  return out;
}

void notSupported(const char *operation) {
  reportWarning("%s is not supported by this flexible body backend", operation);
}

bool validKind(int kind, const char *operation) {
  if (kind >= kShape && kind <= kStrain) return true;
  reportError("%s: result kind %d is not 0 (mode shape), 1 (modal stress) or 2 (modal strain)", operation, kind);
  return false;
}

bool validNodeIndex(const Body &b, int index, const char *operation) {
  if (index >= 0 && index < b.nodeCount()) return true;
  reportError("%s: node index %d is outside 0..%d", operation, index, b.nodeCount() - 1);
  return false;
}

bool validModeIndex(const Body &b, int index, const char *operation) {
  if (index >= 0 && index < b.modeCount()) return true;
  reportError("%s: mode index %d is outside 0..%d", operation, index, b.modeCount() - 1);
  return false;
}

bool notNull(const void *pointer, const char *operation) {
  if (pointer != nullptr) return true;
  reportError("%s: a required pointer argument is null", operation);
  return false;
}

}  // namespace qvb::body
