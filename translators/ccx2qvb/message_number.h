// Numbers in our messages: every digit that identifies a value the user
// gave (17 significant digits), or a short figure for a measured one.
#pragma once

#include <cstdio>
#include <string>

namespace qvb::ccx2qvb {

inline std::string messageNumber(double value, int significantDigits = 17) {
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", significantDigits, value);
  return text;
}

}  // namespace qvb::ccx2qvb
