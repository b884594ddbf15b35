// Decodes a list of hostile blocks into a body. The input is a sequence of
// records: block number (1 byte), payload length (2 bytes, little-endian),
// payload. A body that decodes must encode and decode again, since a body
// read from disk may be written straight back.
#include <cstddef>
#include <cstdint>

#include "block_codec.h"

using namespace qvb::body;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  EncodedBlocks blocks;
  size_t at = 0;
  while (size - at >= 3) {
    const int block = data[at];
    const size_t length = data[at + 1] | (size_t(data[at + 2]) << 8);
    at += 3;
    const size_t taken = length < size - at ? length : size - at;
    blocks.emplace_back(block, std::vector<uint8_t>(data + at, data + at + taken));
    at += taken;
  }
  std::unique_ptr<Body> body;
  try {
    body = decodeBody(blocks);
  } catch (const CodecError &) {
    return 0;
  }
  // Accepted data must survive a round trip; an exception here escapes and
  // is reported as a crash.
  decodeBody(encodeBody(*body));
  return 0;
}
