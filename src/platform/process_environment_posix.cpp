#include "platform/process_environment.h"

#include <cstdlib>
#include <deque>

namespace qvb::platform {

bool putEnvironment(const std::string &name, const std::string &value) {
  // Never destroyed, not even at exit: static destructors and atexit
  // handlers that run later may still read the environment. A deque keeps
  // its elements in place as it grows.
  static auto *const kept = new std::deque<std::string>();
  kept->push_back(name + "=" + value);
  if (::putenv(kept->back().data()) == 0) return true;
  kept->pop_back();
  return false;
}

}  // namespace qvb::platform
