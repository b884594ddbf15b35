// What every function of the C interface needs, in the front and in the
// storage plug-ins alike: exceptions stay inside, and texts go out into the
// caller's fixed-size buffers without overrunning them.
#pragma once

#include <cstddef>
#include <cstring>
#include <exception>
#include <new>
#include <string>

namespace qvb::util {

// Where a failure is reported: QVB_Error in the front, the backend's error
// handler in a plug-in (a plug-in never calls into the front directly).
using ReportFunction = void (*)(const char *format, ...);

// Runs `work`; an exception becomes the message "<operation>: <cause>" on
// `report`, and the result is `failure`.
template <typename Result, typename Work>
Result guarded(ReportFunction report, const char *operation, Result failure, Work &&work) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc &) {
    report("%s: out of memory", operation);
  } catch (const std::exception &error) {
    report("%s: %s", operation, error.what());
  } catch (...) {
    report("%s: unexpected failure", operation);
  }
  return failure;
}

// Copies text into out (size bytes), cutting what does not fit; the result is
// always NUL-terminated. A null out or a size of 0 receives nothing.
inline void copyCut(char *out, const std::string &text, std::size_t size) {
  if (out == nullptr || size == 0) return;
  const std::size_t length = text.size() < size ? text.size() : size - 1;
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}

}  // namespace qvb::util
