// Changing the process environment. Reading it goes through os.h; setting a
// variable is rarer and has a lifetime rule of its own, so it lives here.
#pragma once

#include <string>

namespace qvb::platform {

// Sets name=value with putenv. putenv keeps the caller's text as part of the
// environment, so every text handed to it stays alive until the process
// ends (a host may still hold a value it read earlier). False when the
// system refused.
bool putEnvironment(const std::string &name, const std::string &value);

}  // namespace qvb::platform
