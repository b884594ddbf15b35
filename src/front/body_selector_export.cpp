// qvb_ParseBodySelector: the selector grammar of the stores and the commands,
// for hosts that open bodies through QVB_CreateFromFileByIndex (the Python
// package), so that they read specifications exactly as the stores do.
#include <cstring>
#include <string>

#include "qvb/qvb_interface.h"
#include "util/body_selector.h"
#include "util/c_boundary.h"

namespace {

// Copies text with its NUL into a buffer of size bytes, or says why it does not fit.
bool fits(const char *what, const std::string &text, char *buffer, int size) {
  if (buffer == nullptr || size <= 0) {
    QVB_Error("qvb_ParseBodySelector: no buffer for the %s", what);
    return false;
  }
  if (text.size() >= static_cast<std::size_t>(size)) {
    QVB_Error("qvb_ParseBodySelector: %s %s is too long (at most %d characters)", what, text.c_str(), size - 1);
    return false;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

extern "C" QVB_API int qvb_ParseBodySelector(const char *specification, char *file, int fileSize, int *index,
                                             char *name, int nameSize) {
  return qvb::util::guarded(QVB_Error, "qvb_ParseBodySelector", 0, [&] {
    qvb::util::BodySelection selection;
    std::string error;
    if (!qvb::util::parseBodySelection(specification, qvb::util::SelectorGrammar::kFromExtension, &selection,
                                       &error)) {
      QVB_Error("%s", error.c_str());
      return 0;
    }
    if (index == nullptr) {
      QVB_Error("qvb_ParseBodySelector: no place for the body number");
      return 0;
    }
    if (!fits("file name", selection.file, file, fileSize) || !fits("body name", selection.name, name, nameSize))
      return 0;
    *index = selection.index;
    return 1;
  });
}
