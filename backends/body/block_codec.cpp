#include "block_codec.h"

#include <cstring>

#include "block_io.h"
#include "block_table.h"

namespace qvb::body {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "block payloads are little-endian");

bool MemorySource::read(void *data, size_t size) {
  if (size > left_) return false;
  if (size) std::memcpy(data, p_, size);
  p_ += size;
  left_ -= size;
  return true;
}

const void *MemorySource::lend(size_t size, std::shared_ptr<const void> *keeper) {
  if (!keeper_ || size > left_) return nullptr;
  const void *lent = p_;
  p_ += size;
  left_ -= size;
  *keeper = keeper_;
  return lent;
}

void BlockReader::fail(const std::string &what) const {
  throw CodecError("block " + std::to_string(block_) + " (" + blockName(block_) + ") " + what);
}

void BlockReader::modeValues(ModeValues &v, uint64_t n) {
  if (n > left_ / sizeof(double)) fail("is truncated");
  const uint64_t size = n * sizeof(double);
  std::shared_ptr<const void> keeper;
  const void *lent = n ? source_.lend(size, &keeper) : nullptr;
  if (lent != nullptr && reinterpret_cast<uintptr_t>(lent) % alignof(double) == 0) {
    left_ -= size;
    v = ModeValues::borrowed(std::move(keeper), static_cast<const double *>(lent), n);
    return;
  }
  std::vector<double> values(n);
  if (lent != nullptr) {
    left_ -= size;
    std::memcpy(values.data(), lent, size);
  } else if (n) {
    bytes(values.data(), size);
  }
  v = ModeValues(std::move(values));
}

std::vector<int> storedBlocks(const Body &body) {
  std::vector<int> blocks;
  for (const BlockLayout &layout : kBlockTable)
    if (layout.present(body)) blocks.push_back(layout.number);
  return blocks;
}

void encodeBlock(const Body &body, int block, ByteSink &sink) {
  const BlockLayout *layout = findBlock(block);
  if (layout == nullptr) return;
  BlockWriter writer(sink);
  layout->encode(writer, body);
}

void decodeBlock(Body &body, int block, ByteSource &source, uint64_t size) {
  BlockReader reader(source, size, block);
  const BlockLayout *layout = findBlock(block);
  if (layout == nullptr) reader.fail("is not a block this library knows");
  layout->decode(reader, body);
  reader.finish();
  body.invalidateDerived();
}

EncodedBlocks encodeBody(const Body &body) {
  EncodedBlocks blocks;
  for (int block : storedBlocks(body)) {
    std::vector<uint8_t> bytes;
    VectorSink sink(bytes);
    encodeBlock(body, block, sink);
    blocks.emplace_back(block, std::move(bytes));
  }
  return blocks;
}

std::unique_ptr<Body> decodeBody(const EncodedBlocks &blocks) {
  auto body = std::make_unique<Body>();
  int previous = 0;
  for (const auto &[block, bytes] : blocks) {
    if (block <= previous) throw CodecError("blocks are not in ascending order");
    previous = block;
    MemorySource source(bytes.data(), bytes.size());
    decodeBlock(*body, block, source, bytes.size());
  }
  return body;
}

namespace {
class DiscardingSink : public ByteSink {
 public:
  void write(const void *, size_t) override {}
};
}  // namespace

uint64_t modeValuesOffset(const Body &body, int block) {
  // Lay the block out without keeping the bytes; the writer notes where the
  // mode values begin.
  const BlockLayout *layout = findBlock(block);
  if (layout == nullptr) return 0;
  DiscardingSink nowhere;
  BlockWriter writer(nowhere);
  layout->encode(writer, body);
  return writer.modeValuesAt();
}

bool isBlock(int block) { return findBlock(block) != nullptr; }

bool isSurfaceMeshBlock(int block) {
  const BlockLayout *layout = findBlock(block);
  return layout != nullptr && (layout->traits & kSurfaceMesh) != 0;
}

}  // namespace qvb::body
