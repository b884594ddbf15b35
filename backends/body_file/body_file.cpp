#include "body_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "block_codec.h"
#include "kernels/crc32c.h"
#include "messages.h"
#include "platform/file_replacement.h"
#include "platform/mapped_file.h"
#include "platform/os.h"
#include "platform/worker_threads.h"
#include "util/body_selector.h"

namespace qvb::qvbflex {
namespace {

using body::Body;

constexpr unsigned char kMagic[8] = {0x89, 'Q', 'V', 'B', '\r', '\n', 0x1A, '\n'};
// Format 2 adds the payload lead (chunk flags); format 1 files read as ever.
constexpr uint32_t kFormatVersion = 2;
constexpr uint32_t kLeadMask = 7;
constexpr size_t kFileHeaderSize = 24;   // magic, version, body count, reserved, checksum
constexpr size_t kDirectoryEntrySize = 16;  // offset, size
constexpr unsigned char kBodyMagic[4] = {'B', 'O', 'D', 'Y'};
constexpr size_t kChunkHeaderSize = 24;  // block, flags, length, payload checksum, header checksum

class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <typename T> T loadLE(const unsigned char *p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <typename T> void storeLE(unsigned char *p, T v) { std::memcpy(p, &v, sizeof v); }

uint64_t padding(uint64_t length) { return (8 - length % 8) % 8; }

// ---- reading ----------------------------------------------------------------

// The mapped bytes of a body file, read front to back.
class Reader {
 public:
  Reader(const std::string &path, std::shared_ptr<const platform::MappedFile> file)
      : path_(path), file_(std::move(file)) {}

  [[noreturn]] void fail(const std::string &what) const { throw Failure(path_ + " " + what); }
  uint32_t version() const { return version_; }
  const unsigned char *at(uint64_t offset) const { return file_->data() + offset; }
  const std::shared_ptr<const platform::MappedFile> &file() const { return file_; }

  // Magic, format version and directory; returns the (offset, size) of
  // every body.
  std::vector<std::pair<uint64_t, uint64_t>> directory() {
    const uint64_t size = file_->size();
    if (size < kFileHeaderSize || std::memcmp(at(0), kMagic, sizeof kMagic) != 0) fail("is not a body file");
    const unsigned char *header = at(0);
    version_ = loadLE<uint32_t>(header + 8);
    if (version_ == 0 || version_ > kFormatVersion)
      fail("is in body file format " + std::to_string(version_) + ", which this reader (format " +
           std::to_string(kFormatVersion) + ") does not know");
    uint32_t count = loadLE<uint32_t>(header + 12);
    if (count > (size - kFileHeaderSize) / kDirectoryEntrySize) fail("is truncated");
    const unsigned char *entries = at(kFileHeaderSize);
    uint32_t crc = kernels::crc32c(0, header, 20);
    crc = kernels::crc32c(crc, entries, static_cast<size_t>(count) * kDirectoryEntrySize);
    if (crc != loadLE<uint32_t>(header + 20)) fail("fails its header checksum");
    std::vector<std::pair<uint64_t, uint64_t>> bodies;
    for (uint32_t k = 0; k < count; ++k) {
      uint64_t offset = loadLE<uint64_t>(entries + k * kDirectoryEntrySize);
      uint64_t length = loadLE<uint64_t>(entries + k * kDirectoryEntrySize + 8);
      if (offset > size || length > size - offset) fail("is truncated");
      bodies.emplace_back(offset, length);
    }
    return bodies;
  }

 private:
  std::string path_;
  std::shared_ptr<const platform::MappedFile> file_;
  uint32_t version_ = 0;
};

std::shared_ptr<const platform::MappedFile> mapFile(const std::string &path) {
  std::string reason;
  auto file = platform::MappedFile::open(path, &reason);
  if (!file) throw Failure(path + " cannot be opened: " + reason);
  return file;
}

// Mode values stay in the mapped file unless QVB_MAP_BODY_FILES is "0": then
// they are copied, and the file is released once the body is read.
bool keepFileMapped() {
  const char *setting = platform::getEnv("QVB_MAP_BODY_FILES");
  return setting == nullptr || std::strcmp(setting, "0") != 0;
}

std::unique_ptr<Body> readOneBody(const Reader &in, const std::string &path, int index, uint64_t offset,
                                  uint64_t length, bool surfaceOnly) {
  const std::string where = path + ", body " + std::to_string(index) + ":";
  auto fail = [&](const std::string &what) -> void { throw Failure(where + " " + what); };
  if (length < 8) fail("is truncated");
  const unsigned char *header = in.at(offset);
  if (std::memcmp(header, kBodyMagic, 4) != 0) fail("does not start a body");
  uint32_t chunks = loadLE<uint32_t>(header + 4);
  uint64_t position = offset + 8, left = length - 8;
  std::shared_ptr<const void> keeper;
  if (keepFileMapped()) keeper = in.file();
  auto result = std::make_unique<Body>();
  int previous = 0;
  for (uint32_t c = 0; c < chunks; ++c) {
    if (left < kChunkHeaderSize) fail("is truncated");
    const unsigned char *chunk = in.at(position);
    if (kernels::crc32c(0, chunk, 20) != loadLE<uint32_t>(chunk + 20))
      fail("chunk " + std::to_string(c + 1) + " fails its header checksum");
    int block = static_cast<int>(loadLE<uint32_t>(chunk));
    uint32_t flags = loadLE<uint32_t>(chunk + 4);
    uint64_t size = loadLE<uint64_t>(chunk + 8);
    uint32_t expected = loadLE<uint32_t>(chunk + 16);
    if (block <= previous || !body::isBlock(block))
      fail("chunk " + std::to_string(c + 1) + " holds an unknown or repeated block " + std::to_string(block));
    previous = block;
    const std::string blockName = "block " + std::to_string(block);
    // Format 2 may put up to 7 zero bytes before a payload so that its mode
    // values fall on an 8-byte boundary of the file.
    const uint64_t lead = flags & kLeadMask;
    if ((flags & ~kLeadMask) != 0 || (lead != 0 && in.version() < 2))
      fail(blockName + " has flags " + std::to_string(flags) + " that this reader does not know");
    left -= kChunkHeaderSize;
    if (lead > left || size > left - lead || padding(lead + size) > left - lead - size)
      fail(blockName + " is truncated");
    const unsigned char *payload = chunk + kChunkHeaderSize + lead;
    const uint64_t stride = kChunkHeaderSize + lead + size + padding(lead + size);
    position += stride;
    left -= stride - kChunkHeaderSize;
    if (surfaceOnly && !body::isSurfaceMeshBlock(block)) continue;
    // The checksum reads it all: each piece is mapped in one call first, on
    // the threads the user asked for.
    const uint32_t sum = kernels::crc32cOnThreads(
        payload, size, platform::threadsAskedFor(),
        [&in](const unsigned char *piece, size_t bytes) { in.file()->willRead(piece, bytes); });
    if (sum != expected) fail(blockName + " fails its checksum");
    try {
      body::MemorySource source(payload, size, keeper);
      body::decodeBlock(*result, block, source, size);
    } catch (const body::CodecError &e) {
      fail(e.what());
    }
  }
  return result;
}

// ---- writing ----------------------------------------------------------------

// Every byte of the temporary file goes through here, and from here through
// the platform seam, where a test can fail any write. Bytes are collected and
// handed to the system in pieces that end on 4 MiB boundaries of the file:
// the system's file cache then keeps the new file in large pieces, which a
// reader's mapping takes one entry per piece (mapped_file.h). Headers filled
// in once their payload is known are patched in the collected bytes while
// they are still there.
class Output {
 public:
  explicit Output(int descriptor) : descriptor_(descriptor), buffer_(new unsigned char[kPiece]) {}
  void put(const void *data, size_t n) {
    const auto *p = static_cast<const unsigned char *>(data);
    while (n > 0) {
      const size_t room = kPiece - static_cast<size_t>((base_ + used_) % kPiece);
      const size_t part = std::min(n, room);
      std::memcpy(buffer_.get() + used_, p, part);
      used_ += part;
      p += part;
      n -= part;
      if (part == room) flush();
    }
  }
  // Overwrites bytes already put at [offset, offset + n).
  void patch(uint64_t offset, const void *data, size_t n) {
    if (offset >= base_ && offset + n <= base_ + used_) {
      std::memcpy(buffer_.get() + (offset - base_), data, n);
      return;
    }
    flush();
    write(offset, data, n);
  }
  uint64_t position() const { return base_ + used_; }
  // Hands the system what is still collected.
  void flush() {
    write(base_, buffer_.get(), used_);
    base_ += used_;
    used_ = 0;
  }

 private:
  static constexpr size_t kPiece = size_t{4} << 20;
  void write(uint64_t offset, const void *data, size_t n) {
    if (const int code = platform::writeFileAt(descriptor_, data, n, offset))
      throw Failure(std::string("cannot be written: ") + std::strerror(code));
  }
  int descriptor_;
  std::unique_ptr<unsigned char[]> buffer_;
  uint64_t base_ = 0;  // file offset of buffer_[0]
  size_t used_ = 0;
};

class ChecksummingSink : public body::ByteSink {
 public:
  explicit ChecksummingSink(Output &out) : out_(out) {}
  void write(const void *data, size_t size) override {
    out_.put(data, size);
    crc_ = kernels::crc32c(crc_, data, size);
    length_ += size;
  }
  uint32_t crc() const { return crc_; }
  uint64_t length() const { return length_; }

 private:
  Output &out_;
  uint32_t crc_ = 0;
  uint64_t length_ = 0;
};

// Writes one body at the current end of the file; returns its size.
uint64_t writeOneBody(Output &out, const Body &b) {
  const uint64_t start = out.position();
  const std::vector<int> blocks = body::storedBlocks(b);
  unsigned char header[8];
  std::memcpy(header, kBodyMagic, 4);
  storeLE<uint32_t>(header + 4, static_cast<uint32_t>(blocks.size()));
  out.put(header, sizeof header);
  const unsigned char zeros[8] = {};
  for (int block : blocks) {
    const uint64_t chunkStart = out.position();
    unsigned char chunk[kChunkHeaderSize] = {};
    out.put(chunk, sizeof chunk);  // filled in once the payload is known
    // Payloads start on 8 bytes; the lead moves mode values there as well.
    const uint32_t lead = static_cast<uint32_t>(padding(body::modeValuesOffset(b, block)));
    out.put(zeros, lead);
    ChecksummingSink sink(out);
    body::encodeBlock(b, block, sink);
    out.put(zeros, padding(lead + sink.length()));
    storeLE<uint32_t>(chunk, static_cast<uint32_t>(block));
    storeLE<uint32_t>(chunk + 4, lead);
    storeLE<uint64_t>(chunk + 8, sink.length());
    storeLE<uint32_t>(chunk + 16, sink.crc());
    storeLE<uint32_t>(chunk + 20, kernels::crc32c(0, chunk, 20));
    out.patch(chunkStart, chunk, sizeof chunk);
  }
  return out.position() - start;
}


// How long a writer waits while other writers of the same file finish:
// long enough for a queue of large bodies on a slow disk; a writer that
// holds a file this long is stopped or stuck.
constexpr double kLockWaitSeconds = 120;

// Writes the file once: false when another writer created it meanwhile
// (the caller writes again, keeping that writer's bodies).
bool writeFileOnce(const std::string &path, const Body &b, int position) {
  platform::FileReplacement file;
  if (!file.begin(path, kLockWaitSeconds)) throw Failure(file.error());
  // The bodies of the existing file that are kept, copied as raw bytes.
  std::vector<std::pair<uint64_t, uint64_t>> existing;
  std::shared_ptr<const platform::MappedFile> old;
  if (position > 0 && file.replacesExisting()) {
    std::string reason;
    old = platform::MappedFile::open(file.target(), &reason);
    if (!old) throw Failure("cannot be read: " + reason);
    existing = Reader(path, old).directory();
  }
  const int count = static_cast<int>(existing.size());
  if (position > count + 1)
    throw Failure("holds " + std::to_string(count) + " bodies; body " + std::to_string(position) +
                  " cannot be written (the next free position is " + std::to_string(count + 1) + ")");
  const int total = position == 0 ? 1 : std::max(count, position);

  Output out(file.descriptor());
  std::vector<unsigned char> header(kFileHeaderSize + total * kDirectoryEntrySize, 0);
  out.put(header.data(), header.size());  // filled in at the end
  for (int k = 1; k <= total; ++k) {
    const uint64_t offset = out.position();
    uint64_t size;
    if (k == position || position == 0) {
      size = writeOneBody(out, b);
    } else {
      out.put(old->data() + existing[k - 1].first, existing[k - 1].second);
      size = existing[k - 1].second;
    }
    storeLE<uint64_t>(&header[kFileHeaderSize + (k - 1) * kDirectoryEntrySize], offset);
    storeLE<uint64_t>(&header[kFileHeaderSize + (k - 1) * kDirectoryEntrySize + 8], size);
  }
  std::memcpy(header.data(), kMagic, sizeof kMagic);
  storeLE<uint32_t>(&header[8], kFormatVersion);
  storeLE<uint32_t>(&header[12], static_cast<uint32_t>(total));
  uint32_t crc = kernels::crc32c(0, header.data(), 20);
  crc = kernels::crc32c(crc, header.data() + kFileHeaderSize, header.size() - kFileHeaderSize);
  storeLE<uint32_t>(&header[20], crc);
  out.patch(0, header.data(), header.size());
  out.flush();
  if (!file.commit()) {
    if (file.lostRace()) return false;
    throw Failure(file.error());
  }
  if (file.replacesExisting() && !file.previous().locked)
    body::reportWarning(
        "%s was written without a lock: its file system gives no advisory locks, so changes that "
        "another process wrote into it at the same time may be lost",
        path.c_str());
  if (file.previous().links > 1)
    body::reportWarning("%s had %llu names (hard links); the other names keep the previous content", path.c_str(),
                        static_cast<unsigned long long>(file.previous().links));
  return true;
}

void writeFile(const std::string &path, const Body &b, int position) {
  // Each lost race means another writer's file landed: bounded, not endless.
  for (int attempt = 0; attempt < 100; ++attempt)
    if (writeFileOnce(path, b, position)) return;
  throw Failure("cannot be written: other writers kept creating it");
}

}  // namespace

int bodyCount(const std::string &path, std::string *error) {
  try {
    Reader in(path, mapFile(path));
    return static_cast<int>(in.directory().size());
  } catch (const Failure &e) {
    if (error) *error = e.what();
  }
  return -1;
}

std::unique_ptr<body::Body> readBody(const std::string &path, int index, bool surfaceOnly, std::string *error) {
  try {
    Reader in(path, mapFile(path));
    auto bodies = in.directory();
    if (index < 1 || index > static_cast<int>(bodies.size()))
      throw Failure(path + " holds " + std::to_string(bodies.size()) + " bodies; there is no body " +
                    std::to_string(index));
    return readOneBody(in, path, index, bodies[index - 1].first, bodies[index - 1].second, surfaceOnly);
  } catch (const Failure &e) {
    if (error) *error = e.what();
  }
  return nullptr;
}

bool writeBody(const std::string &path, const body::Body &b, int position, std::string *error) {
  try {
    writeFile(path, b, position);
    return true;
  } catch (const Failure &e) {
    std::string what = e.what();
    // Reader failures already start with the path.
    if (error) *error = what.compare(0, path.size(), path) == 0 ? what : path + " " + what;
  }
  return false;
}

bool parseFileSpec(const char *specification, FileSpec *spec, std::string *error) {
  util::BodySelection selection;
  if (!util::parseBodySelection(specification, util::SelectorGrammar::kBodyIndex, &selection, error)) return false;
  spec->path = selection.file;
  spec->index = selection.index;
  return true;
}


}  // namespace qvb::qvbflex
