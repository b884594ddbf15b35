// The block codec: a body as a list of (block number, bytes) and back.
//
// Both storage backends keep bodies as encoded blocks: the body file puts each
// block in a checksummed chunk, the database keeps each block as one value.
// The payload of each block is laid out in block_table.cpp.
//
// Blocks are decoded in ascending block order: the content summary (block 3)
// carries the mode numbers that the later per-mode blocks refer to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "body.h"

namespace qvb::body {

// Malformed block data; what() names the block and the problem.
class CodecError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(const void *data, size_t size) = 0;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads exactly `size` bytes; false when fewer are available.
  virtual bool read(void *data, size_t size) = 0;
  // Sources whose bytes outlive the decoding (a mapped file) may lend the
  // next `size` bytes instead of copying them: the pointer stays valid while
  // *keeper lives. Null (nothing consumed) when the source does not lend.
  virtual const void *lend(size_t /*size*/, std::shared_ptr<const void> * /*keeper*/) { return nullptr; }
};

class VectorSink : public ByteSink {
 public:
  explicit VectorSink(std::vector<uint8_t> &out) : out_(out) {}
  void write(const void *data, size_t size) override {
    const auto *p = static_cast<const uint8_t *>(data);
    out_.insert(out_.end(), p, p + size);
  }

 private:
  std::vector<uint8_t> &out_;
};

class MemorySource : public ByteSource {
 public:
  // With a keeper, the bytes are lent (mode values are decoded as views
  // into them) rather than copied.
  MemorySource(const void *data, size_t size, std::shared_ptr<const void> keeper = {})
      : p_(static_cast<const uint8_t *>(data)), left_(size), keeper_(std::move(keeper)) {}
  bool read(void *data, size_t size) override;
  const void *lend(size_t size, std::shared_ptr<const void> *keeper) override;

 private:
  const uint8_t *p_;
  size_t left_;
  std::shared_ptr<const void> keeper_;
};

// The blocks of a body that carry data, in ascending order.
std::vector<int> storedBlocks(const Body &body);

// Writes the payload of one block.
void encodeBlock(const Body &body, int block, ByteSink &sink);

// Reads a payload of exactly `size` bytes into the body. Throws CodecError
// when the data are malformed or do not fit the body decoded so far.
void decodeBlock(Body &body, int block, ByteSource &source, uint64_t size);

using EncodedBlocks = std::vector<std::pair<int, std::vector<uint8_t>>>;
EncodedBlocks encodeBody(const Body &body);
// Throws CodecError.
std::unique_ptr<Body> decodeBody(const EncodedBlocks &blocks);

// Where the mode values of a mode block start within its payload (mode
// shapes, stresses and strains; 0 for other blocks). A file that puts this
// offset on an 8-byte boundary lets readers use the values where they lie.
uint64_t modeValuesOffset(const Body &body, int block);

// Whether a number names a block (1..37 without 33).
bool isBlock(int block);

// Blocks that a surface-mesh reader needs: identity, units, nodes, faces and
// interface nodes (no modes).
bool isSurfaceMeshBlock(int block);

}  // namespace qvb::body
