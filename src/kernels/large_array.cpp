#include "kernels/large_array.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

#include "platform/worker_threads.h"

namespace qvb::kernels {

LargeArray::~LargeArray() { release(); }

void LargeArray::release() {
  platform::releasePageMemory(memory_);
  memory_ = {};
  size_ = 0;
}

void LargeArray::resize(size_t count, unsigned threads) {
  if (count <= capacity()) {
    size_ = count;
    return;
  }
  release();
  if (count > SIZE_MAX / sizeof(double)) throw std::bad_alloc();
  memory_ = platform::reservePageMemory(count * sizeof(double));
  size_ = count;
  if (threads <= 1) return;
  // In pieces of 2 MiB (one large page each) shared out as the threads ask.
  constexpr size_t kPiece = size_t{1} << 21;
  auto *bytes = static_cast<unsigned char *>(memory_.data);
  std::atomic<size_t> next{0};
  platform::runOnThreads(threads, [&](unsigned) {
    for (size_t at; (at = next.fetch_add(kPiece)) < memory_.bytes;)
      std::memset(bytes + at, 0, std::min(kPiece, memory_.bytes - at));
  });
}

}  // namespace qvb::kernels
