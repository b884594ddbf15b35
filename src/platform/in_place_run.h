// Bytes of an output file written in place, by any number of threads.
//
// A stream hands its text to the system one write at a time, and the system
// copies each write into its file cache under the file's lock: with text
// made on several threads, that copy (a third of a large conversion's
// processor time) still runs on one thread. Written in place, the text is
// made straight in the file cache, by every thread at once.
//
// The run's bytes are allocated on the disk before the first is written, so
// that a full disk or a file size limit is refused up front, as a failed
// write, and never met while writing through a mapping (where the system
// could only stop the process). They are mapped a window at a time, so that
// a run of many gigabytes does not sit in the process's address space and
// resident size at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace qvb::platform {

class InPlaceRun {
 public:
  // Some of the run's bytes, mapped while the object lives (any thread may
  // write them, and drop the last reference).
  class Window {
   public:
    Window(char *bytes, uint64_t from, uint64_t offset, size_t size)
        : bytes_(bytes), from_(from), offset_(offset), size_(size) {}
    ~Window();
    Window(const Window &) = delete;
    Window &operator=(const Window &) = delete;
    char *bytes() const { return bytes_; }
    // True when the run's bytes [from, from + size) are in this window.
    bool holds(uint64_t from, size_t size) const { return from >= from_ && from - from_ + size <= size_; }
    // The address of the run's byte `from`, which the window holds.
    char *at(uint64_t from) const { return bytes_ + (from - from_); }

   private:
    char *bytes_;
    uint64_t from_;    // in the run
    uint64_t offset_;  // in the file
    size_t size_;
  };

  // The bytes [offset, offset + size) of the open file `descriptor`, already
  // allocated; a mapping that fails records the system's reason in *failure
  // (0 until then), which the output's owner reports.
  InPlaceRun(int descriptor, uint64_t offset, uint64_t size, int *failure)
      : descriptor_(descriptor), offset_(offset), size_(size), failure_(failure) {}

  uint64_t size() const { return size_; }

  // The run's bytes [from, from + size), from one thread at a time; null
  // (with the failure recorded) when they are outside the run or cannot be
  // mapped.
  std::shared_ptr<Window> map(uint64_t from, size_t size);

  // A window that holds the run's bytes [from, from + size), for writing a
  // run in order a piece at a time: the last window handed out while it
  // holds them, else a new one from `from` of kWindowBytes (or the piece,
  // if larger; no more than the rest of the run). From one thread; null as
  // for map().
  std::shared_ptr<Window> windowFor(uint64_t from, size_t size);

  // Smaller windows cost more in the system (at 8 MB the system time of a
  // large conversion doubled), larger ones keep more of the file cache
  // mapped, and so counted in the process's resident size.
  static constexpr uint64_t kWindowBytes = uint64_t{1} << 28;

 private:
  int descriptor_;
  uint64_t offset_, size_;
  int *failure_;
  std::shared_ptr<Window> current_;  // the last window of windowFor
};

}  // namespace qvb::platform
