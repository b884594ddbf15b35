#include "front/file_selector.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "qvb/qvb_messages.h"

namespace qvb::front {

bool FileSpec::selectorIsIndex() const {
  return hasSelector && !selector.empty() && std::isdigit(static_cast<unsigned char>(selector[0]));
}

int FileSpec::index() const {
  if (!hasSelector) return 1;
  return std::atoi(selector.c_str());
}

FileSpec splitFileSpec(const char *specification) {
  FileSpec spec;
  spec.file = specification;
  const std::size_t marker = spec.file.find("::");
  if (marker != std::string::npos) {
    spec.hasSelector = true;
    spec.selector = spec.file.substr(marker + 2);
    spec.file.resize(marker);
  }
  return spec;
}

bool acceptText(const char *function, const char *what, const char *text, std::size_t bufferSize) {
  if (text == nullptr) {
    QVB_Error("%s: no %s given", function, what);
    return false;
  }
  const std::size_t length = std::strlen(text);
  if (length >= bufferSize) {
    QVB_Error("%s: %s of %zu characters is too long (at most %zu)", function, what, length,
              bufferSize - 1);
    return false;
  }
  return true;
}

}  // namespace qvb::front
