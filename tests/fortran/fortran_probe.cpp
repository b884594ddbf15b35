// Lets the Fortran test program read the fake backend's call record: plain
// C functions, called through bind(C) interfaces, that look calls up by the
// slot's name.
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fake_backend.h"

namespace {

std::vector<double> g_captured_doubles;
std::vector<std::string> g_captured_labels;

std::optional<qvbfake::Call> lastNamed(const char *name) {
  const auto all = qvbfake::calls();
  for (auto call = all.rbegin(); call != all.rend(); ++call)
    if (call->name == name) return *call;
  return std::nullopt;
}

const qvbfake::Value *argument(const char *name, int index) {
  static qvbfake::Value kept;
  const auto call = lastNamed(name);
  if (!call || index < 0 || index >= static_cast<int>(call->args.size())) return nullptr;
  kept = call->args[index];
  return &kept;
}

// Copies `text` into a blank-padded Fortran buffer and returns its length.
int toFortran(const std::string &text, char *buffer, int size) {
  std::memset(buffer, ' ', static_cast<std::size_t>(size));
  std::memcpy(buffer, text.data(), std::min<std::size_t>(text.size(), size));
  return static_cast<int>(text.size());
}

int slotNamed(const char *name) {
#define QVB_FWD(ordinal, result, member, params, args) \
  if (std::strcmp(name, #member) == 0) return ordinal;
#define QVB_OWN QVB_FWD
#define QVB_RSV(ordinal)
#include "qvb/qvb_slots.h"
#undef QVB_FWD
#undef QVB_OWN
#undef QVB_RSV
  return -100;
}

}  // namespace

extern "C" {

int probe_int(const char *name, int index) {
  const qvbfake::Value *value = argument(name, index);
  return value != nullptr ? value->i : -999999;
}

// The recorded text in a Fortran buffer; -1 when the argument is not a text.
int probe_text(const char *name, int index, char *buffer, int size) {
  const qvbfake::Value *value = argument(name, index);
  if (value == nullptr || value->kind != qvbfake::Value::Kind::kText) return -1;
  return toFortran(value->text, buffer, size);
}

void probe_set_result(const char *name, int value) { qvbfake::setResult(slotNamed(name), value); }

// The next calls of the slot keep `count` doubles from their argument `index`.
void probe_capture_doubles(const char *name, int index, int count) {
  qvbfake::setHook(slotNamed(name), [index, count](const qvbfake::Call &call) {
    const auto *values = static_cast<const double *>(call.args[index].pointer);
    g_captured_doubles.assign(values, values + count);
    return qvbfake::Result(1);
  });
}

double probe_captured_double(int k) {
  return k >= 0 && k < static_cast<int>(g_captured_doubles.size()) ? g_captured_doubles[k] : -1.0;
}

// The next matrix-operator info keeps its label list.
void probe_capture_labels(void) {
  qvbfake::setHook(qvbfake::slot::QVB_SetMatrixOperatorInfo, [](const qvbfake::Call &call) {
    auto **labels = static_cast<char **>(call.args[2].pointer);
    g_captured_labels.clear();
    for (int i = 0; labels != nullptr && i < call.args[3].i; ++i) g_captured_labels.emplace_back(labels[i]);
    return qvbfake::Result(0);
  });
}

int probe_label(int k, char *buffer, int size) {
  if (k < 0 || k >= static_cast<int>(g_captured_labels.size())) return -1;
  return toFortran(g_captured_labels[k], buffer, size);
}

}  // extern "C"
