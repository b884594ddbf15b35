// CRC-32C (Castagnoli), the checksum of every chunk of a body file and of
// every encoded block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qvb::kernels {

// Continues a checksum: crc32c(crc32c(0, a), b) == crc32c(0, a followed by b).
uint32_t crc32c(uint32_t crc, const void *data, size_t size);

}  // namespace qvb::kernels
