// Where the MTX file's text goes. The file is written in order through its
// stream; a stretch whose length is known ahead may instead be made in its
// place (platform/in_place_run.h), so that on threads every thread makes its
// part straight in the file, and so that a stretch can be set aside and
// made later, beside the matrices that follow it. Both are one interface:
// a matrix is written by the same code wherever its bytes go, and the bytes
// are the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "platform/in_place_run.h"

namespace qvb::convert {

// A run of reals: "%W.PE" values, perLine to a line (line ends counted
// from the run's first value; none after an incomplete last line).
struct RealFormat {
  int perLine;
  int width;
  int precision;
};

class TextOutput {
 public:
  virtual ~TextOutput() = default;

  // The next bytes.
  virtual void write(const char *bytes, size_t length) = 0;
  // The text of values[0, count) as one run.
  virtual void realLines(const double *values, size_t count, const RealFormat &format) = 0;
  // Fills `block` with the next values (its memory may be an earlier
  // block's) and returns true, or returns false at the end.
  using NextBlock = std::function<bool(std::vector<double> &block)>;
  // The blocks that next() gives, called on this thread in file order, as
  // one run, formatted on `threads` threads (the caller's among them).
  virtual void realLineBlocks(const RealFormat &format, unsigned threads, const NextBlock &next) = 0;
};

// Through a stream, in order. Long runs of reals are formatted on `threads`
// threads and written in order as they are ready.
class StreamOutput : public TextOutput {
 public:
  StreamOutput(std::FILE *out, unsigned threads) : out_(out), threads_(threads) {}
  void write(const char *bytes, size_t length) override;
  void realLines(const double *values, size_t count, const RealFormat &format) override;
  void realLineBlocks(const RealFormat &format, unsigned threads, const NextBlock &next) override;

 private:
  std::FILE *out_;
  unsigned threads_;
};

// Made in `run`, which is exactly as long as the text written to it, from
// its start on; from one thread at a time, which may be another than the
// one that made the output. Every value of a run of reals must have the
// format's width (a text of another length throws std::logic_error, as
// does text past the run's end). A place that cannot be mapped leaves its
// text out and the failure recorded in the output file, which reports it
// on closing.
class InPlaceOutput : public TextOutput {
 public:
  explicit InPlaceOutput(std::unique_ptr<platform::InPlaceRun> run) : run_(std::move(run)) {}
  void write(const char *bytes, size_t length) override;
  // On the calling thread only.
  void realLines(const double *values, size_t count, const RealFormat &format) override;
  void realLineBlocks(const RealFormat &format, unsigned threads, const NextBlock &next) override;
  // Maps the whole run now, on this thread, so that writing it later maps
  // nothing; false (the failure recorded) when it cannot be mapped.
  bool mapNow() { return run_->windowFor(0, run_->size()) != nullptr; }
  // True once every byte of the run has been given its text.
  bool complete() const { return at_ == run_->size(); }

 private:
  // The window holding the next `bytes` bytes (null when they cannot be
  // mapped); throws when they would pass the run's end.
  std::shared_ptr<platform::InPlaceRun::Window> claim(size_t bytes);
  std::unique_ptr<platform::InPlaceRun> run_;
  uint64_t at_ = 0;
};

}  // namespace qvb::convert
