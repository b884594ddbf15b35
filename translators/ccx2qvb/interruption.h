// An interrupt stops the translation between steps, so that the work folder
// is removed on the way out (the command then ends by the signal).
#pragma once

#include <string>

#include "errors.h"
#include "platform/child_process.h"

namespace qvb::ccx2qvb {

inline void stopIfInterrupted() {
  if (const int signal = platform::InterruptionScope::received())
    throw TranslationError("interrupted by signal " + std::to_string(signal));
}

}  // namespace qvb::ccx2qvb
