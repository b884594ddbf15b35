// Reads a hostile body file. Most mutations of a real file only break a
// checksum, so when the first byte is odd the target first rewrites every
// checksum it can find (file header, chunk headers, payloads) to let the
// mutated data reach the decoder. Whatever the reader accepts must be
// writable again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "block_codec.h"
#include "body_file.h"
#include "kernels/crc32c.h"
#include "support/fuzz_files.h"

using namespace qvb;

namespace {

uint64_t load(const std::vector<uint8_t> &b, size_t at, size_t width) {
  uint64_t v = 0;
  for (size_t i = 0; i < width; ++i) v |= uint64_t(b[at + i]) << (8 * i);
  return v;
}
void store32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// Walks the layout as the writer lays it out (24-byte header, 16-byte
// directory entries, "BODY" + chunk count, 24-byte chunk headers, a lead of
// flags & 7 bytes, payloads padded to 8 bytes) and makes every checksum match. Stops at the first
// thing that does not fit.
void fixChecksums(std::vector<uint8_t> &f) {
  if (f.size() < 24) return;
  const uint64_t count = load(f, 12, 4);
  if (count > (f.size() - 24) / 16) return;
  for (uint64_t k = 0; k < count; ++k) {
    uint64_t at = load(f, 24 + k * 16, 8);
    const uint64_t length = load(f, 24 + k * 16 + 8, 8);
    if (at > f.size() || length > f.size() - at || length < 8) continue;
    const uint64_t end = at + length;
    const uint64_t chunks = load(f, at + 4, 4);
    at += 8;
    for (uint64_t c = 0; c < chunks && end - at >= 24; ++c) {
      const uint64_t lead = load(f, at + 4, 4) & 7, payload = load(f, at + 8, 8);
      if (lead > end - at - 24 || payload > end - at - 24 - lead) break;
      store32(f, at + 16, kernels::crc32c(0, &f[at + 24 + lead], payload));
      store32(f, at + 20, kernels::crc32c(0, &f[at], 20));
      at += 24 + lead + payload + (8 - (lead + payload) % 8) % 8;
      if (at > end) break;
    }
  }
  uint32_t crc = kernels::crc32c(0, f.data(), 20);
  crc = kernels::crc32c(crc, f.data() + 24, count * 16);
  store32(f, 20, crc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  std::vector<uint8_t> file(data + 1, data + size);
  if (data[0] & 1) fixChecksums(file);
  const std::string path = qvbfuzz::writeScratchFile("input.qvb", file.data(), file.size());

  std::string error;
  const int count = qvbflex::bodyCount(path, &error);
  for (int index = 1; index <= count && index <= 3; ++index) {
    for (bool surfaceOnly : {false, true}) {
      auto read = qvbflex::readBody(path, index, surfaceOnly, &error);
      if (read) body::decodeBody(body::encodeBody(*read));
    }
  }
  qvbflex::readBody(path, count + 1, false, &error);
  return 0;
}
