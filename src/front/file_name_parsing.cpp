// Splitting "file::selector" specifications for hosts.
//
// The caller's buffers have no size argument. Specifications longer than
// 1,023 characters are therefore refused (with an error, the name buffer set
// to "") so that a caller whose buffers hold 1,024 bytes, the size of every
// file-name buffer in this library, is never written past.
#include <cstring>

#include "front/file_selector.h"
#include "util/c_boundary.h"
#include "qvb/qvb_interface.h"

using namespace qvb::front;
using qvb::util::copyCut;
using qvb::util::guarded;

namespace {

bool acceptSpecification(const char *function, const char *specification, char *file,
                         const void *selector) {
  if (file == nullptr || selector == nullptr) {
    QVB_Error("%s: no output buffer given", function);
    return false;
  }
  if (!acceptText(function, "file specification", specification, kFileNameBufferSize)) {
    file[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace

extern "C" {

// selector receives the int body index (1 without "::", atoi of a suffix that
// starts with a digit), or, for any other suffix, the suffix text itself.
QVB_API void QVB_ParseFileName(const char *specification, char *file, void *selector) {
  static const char *const function = "QVB_ParseFileName";
  guarded(QVB_Error, function, 0, [&] {
    if (!acceptSpecification(function, specification, file, selector)) return 0;
    const FileSpec spec = splitFileSpec(specification);
    // Both parts are shorter than the accepted specification: nothing is cut.
    copyCut(file, spec.file, kFileNameBufferSize);
    if (!spec.hasSelector || spec.selectorIsIndex()) {
      const int index = spec.index();
      std::memcpy(selector, &index, sizeof index);
    } else {
      copyCut(static_cast<char *>(selector), spec.selector, kFileNameBufferSize);
    }
    return 0;
  });
}

// body receives the text after "::", or "*" (every body) without one.
QVB_API void QVB_ParseDBFileName(const char *specification, char *file, char *body) {
  static const char *const function = "QVB_ParseDBFileName";
  guarded(QVB_Error, function, 0, [&] {
    if (!acceptSpecification(function, specification, file, body)) return 0;
    const FileSpec spec = splitFileSpec(specification);
    copyCut(file, spec.file, kFileNameBufferSize);
    copyCut(body, spec.hasSelector ? spec.selector : std::string("*"), kFileNameBufferSize);
    return 0;
  });
}

}  // extern "C"
