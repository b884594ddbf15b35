// The qvbflex plug-in loaded in-process, its operation table, and helpers to
// build test bodies and capture messages.
#pragma once

#include <string>
#include <vector>

#include "qvb/qvb_interface.h"
#include "support/full_body.h"

namespace qvbtest {

// The table of the plug-in (loaded once per test binary).
const s_FLEX_INTERFACE &flex();

// Messages the plug-in reported, "E: ", "W: " or "I: " followed by the text.
std::vector<std::string> &messages();
bool anyMessageContains(const std::string &text);

// The shared full body (support/full_body.h) built through the plug-in's
// table, in the units given.
inline QVB_Handle buildFullBody(const char *massUnit, const char *lengthUnit, double mass, double length) {
  return buildFullBody(flex(), {massUnit, lengthUnit, mass, length});
}

// Invariants 1 to 9 the body reports, for every mode and pair of modes, in
// one list.
std::vector<double> allInvariants(QVB_Handle body);

// Dump of one block through QVB_Contents.
std::string contents(QVB_Handle body, int block);

// Takes an array handed out by the plug-in and frees it through slot 108.
template <typename T>
std::vector<T> take(T *values, size_t count) {
  std::vector<T> out(values, values ? values + count : values);
  flex().QVB_FreeMemory(values);
  return out;
}

}  // namespace qvbtest
