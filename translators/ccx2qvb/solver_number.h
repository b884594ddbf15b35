// Numbers as the solver reads them from a deck.
#pragma once

#include <charconv>
#include <cstdio>

namespace qvb::ccx2qvb {

// A number as the solver reads it: it takes at most 20 characters per
// field, so the shortest text that reads back exactly, or, when that is
// longer, the most digits that fit.
struct Number {
  char text[32];
  explicit Number(double v) {
    auto r = std::to_chars(text, text + sizeof text - 1, v);
    *r.ptr = '\0';
    for (int digits = 16; r.ptr - text > 20 && digits > 6; --digits) {
      const int length = std::snprintf(text, sizeof text, "%.*g", digits, v);
      r.ptr = text + length;
    }
  }
};

// The value the solver reads for v. Values the translator makes itself
// (tie coefficients, moved nodes) are kept at this value, so that the
// solver's model and the translator's are the same to the last bit.
inline double solverValue(double v) {
  const Number n(v);
  double read = v;
  std::from_chars(n.text, n.text + sizeof n.text, read);
  return read;
}

}  // namespace qvb::ccx2qvb
