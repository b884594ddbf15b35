// CRC-32C (Castagnoli), the checksum of every chunk of a body file and of
// every encoded block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace qvb::kernels {

// Continues a checksum: crc32c(crc32c(0, a), b) == crc32c(0, a followed by b).
uint32_t crc32c(uint32_t crc, const void *data, size_t size);

// crc32c(0, data, size) of pieces read on up to `threads` threads at once,
// joined into the checksum of the whole (exactly: the joining is the
// polynomial arithmetic of the checksum itself). beforeReading(piece, bytes)
// runs first on the thread that reads each piece, where the caller may
// bring the bytes in. One thread, or a small size, reads in one pass.
uint32_t crc32cOnThreads(const void *data, size_t size, unsigned threads,
                         const std::function<void(const unsigned char *, size_t)> &beforeReading = {});

}  // namespace qvb::kernels
