#include "platform/in_place_run.h"

#include <algorithm>
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
      return std::make_shared<Window>(bytes, from, offset_ + from, size);
    } catch (...) {
      unmapForWriting(bytes, offset_ + from, size);
      code = ENOMEM;
    }
  }
  if (*failure_ == 0) *failure_ = code;
  return nullptr;
}

std::shared_ptr<InPlaceRun::Window> InPlaceRun::windowFor(uint64_t from, size_t size) {
  if (current_ && current_->holds(from, size)) return current_;
  current_.reset();  // unmapped once the blocks written through it are done
  if (from > size_) return map(from, size);  // refused, as outside the run
  current_ = map(from, static_cast<size_t>(std::min(std::max<uint64_t>(kWindowBytes, size), size_ - from)));
  return current_;
}

}  // namespace qvb::platform
