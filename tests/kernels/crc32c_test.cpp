// The checksum of a body file's blocks, whole or joined from pieces read on
// several threads.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "kernels/crc32c.h"

namespace qvb::kernels {
namespace {

TEST(Crc32c, PiecesOnThreadsJoinIntoTheChecksumOfTheWhole) {
  EXPECT_EQ(crc32c(0, "123456789", 9), 0xE3069283u);  // the published check value
  // Past three pieces, with a short last one; and the sizes that stay whole.
  std::vector<unsigned char> bytes((size_t{100} << 20) - 3);
  uint32_t state = 12345;
  for (unsigned char &b : bytes) b = static_cast<unsigned char>((state = state * 1664525u + 1013904223u) >> 24);
  for (size_t size : {size_t{0}, size_t{1}, size_t{32} << 20, (size_t{32} << 20) + 1, bytes.size()}) {
    const uint32_t whole = crc32c(0, bytes.data(), size);
    for (unsigned threads : {1u, 2u, 3u}) {
      SCOPED_TRACE(testing::Message() << size << " bytes on " << threads << " threads");
      std::mutex lock;
      size_t seen = 0;
      const uint32_t joined = crc32cOnThreads(bytes.data(), size, threads, [&](const unsigned char *, size_t n) {
        std::lock_guard<std::mutex> hold(lock);
        seen += n;
      });
      EXPECT_EQ(joined, whole);
      EXPECT_EQ(seen, size) << "every byte is announced before it is read, once";
    }
  }
}

}  // namespace
}  // namespace qvb::kernels
