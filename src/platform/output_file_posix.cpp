// The stream is a glibc cookie stream whose writes land at the descriptor of
// the file being replaced, through writeFileAt (so a test can fail them).
#include "platform/output_file.h"

#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/os.h"

namespace qvb::platform {

// As long as body writers wait for each other: outputs of one name are rare.
constexpr double kLockWaitSeconds = 120;

struct OutputFile::Sink {
  int descriptor = -1;
  uint64_t offset = 0;
  int firstError = 0;  // the system's reason for the first failed write

  static ssize_t write(void *cookie, const char *data, size_t size) {
    auto *sink = static_cast<Sink *>(cookie);
    if (sink->firstError == 0) sink->firstError = writeFileAt(sink->descriptor, data, size, sink->offset);
    if (sink->firstError != 0) {
      errno = sink->firstError;
      return -1;  // stdio marks the stream failed; later writes fail at once
    }
    sink->offset += size;
    return static_cast<ssize_t>(size);
  }
};

OutputFile::OutputFile() = default;

OutputFile::~OutputFile() {
  if (stream_ != nullptr) std::fclose(stream_);  // the replacement abandons the new file
}

bool OutputFile::fail(const std::string &what) {
  error_ = path_ + " " + what;
  return false;
}

bool OutputFile::open(const std::string &path) {
  path_ = path;
  error_.clear();
  if (!replacement_.begin(path, kLockWaitSeconds, FileReplacement::Race::kLastWins, FileReplacement::Sync::kNone))
    return fail(replacement_.error());
  sink_ = std::make_unique<Sink>();
  sink_->descriptor = replacement_.descriptor();
  cookie_io_functions_t functions = {};
  functions.write = &Sink::write;
  stream_ = fopencookie(sink_.get(), "w", functions);
  if (stream_ == nullptr) return fail(std::string("cannot be written: ") + std::strerror(errno));
  std::setvbuf(stream_, nullptr, _IOFBF, size_t{1} << 16);
  return true;
}

std::unique_ptr<InPlaceRun> OutputFile::appendInPlace(uint64_t size) {
  if (stream_ == nullptr || std::fflush(stream_) != 0 || sink_->firstError != 0) return nullptr;
  const int code = reserveFileSpace(sink_->descriptor, sink_->offset, size);
  if (code == EOPNOTSUPP || code == EINVAL) return nullptr;  // no allocation ahead here: the stream writes
  if (code != 0) {
    sink_->firstError = code;
    return nullptr;
  }
  // A file system may allocate ahead and still refuse shared writable
  // mappings: then the stream writes the bytes, over the allocated ones.
  char *probe = nullptr;
  const size_t probeBytes = static_cast<size_t>(std::min<uint64_t>(size, 4096));
  if (probeBytes > 0 && mapForWriting(sink_->descriptor, sink_->offset, probeBytes, &probe) != 0) return nullptr;
  if (probe != nullptr) unmapForWriting(probe, sink_->offset, probeBytes);
  auto run = std::make_unique<InPlaceRun>(sink_->descriptor, sink_->offset, size, &sink_->firstError);
  sink_->offset += size;
  return run;
}

bool OutputFile::failed() const { return sink_ != nullptr && sink_->firstError != 0; }

bool OutputFile::close() {
  if (stream_ == nullptr) return error_.empty() ? fail("cannot be written: it was not opened") : false;
  std::FILE *stream = stream_;
  stream_ = nullptr;
  const bool flushed = std::fclose(stream) == 0;
  if (sink_->firstError != 0) return fail(std::string("cannot be written: ") + std::strerror(sink_->firstError));
  if (!flushed) return fail("cannot be written: the stream could not be flushed");
  if (!replacement_.commit()) return fail(replacement_.error());
  return true;
}

}  // namespace qvb::platform
