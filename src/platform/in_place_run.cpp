#include "platform/in_place_run.h"

#include <cerrno>

#include "platform/os.h"

namespace qvb::platform {

InPlaceRun::Window::~Window() {
  // The bytes are in the file cache already; a failed unmap loses nothing.
  unmapForWriting(bytes_, offset_, size_);
}

std::shared_ptr<InPlaceRun::Window> InPlaceRun::map(uint64_t from, size_t size) {
  int code = from <= size_ && size <= size_ - from ? 0 : EINVAL;
  char *bytes = nullptr;
  if (code == 0) code = mapForWriting(descriptor_, offset_ + from, size, &bytes);
  if (code == 0) {
    try {
      return std::make_shared<Window>(bytes, offset_ + from, size);
    } catch (...) {
      unmapForWriting(bytes, offset_ + from, size);
      code = ENOMEM;
    }
  }
  if (*failure_ == 0) *failure_ = code;
  return nullptr;
}

}  // namespace qvb::platform
