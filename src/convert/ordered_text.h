// Matrix text formatted on several threads and written in order. Blocks of
// values go in at one end (from one producer, in file order); any number
// of workers take the next block and format it into a buffer of their own.
// A formatted block whose turn has come is written by the thread that
// finds it so, together with any later ones already formatted, while the
// other threads go on formatting: the writes (the kernel's copy into the
// file cache, which no two threads can do at once on one file) overlap
// the formatting instead of waiting for it. The bytes are those
// writeRealLines writes for the blocks' values in a row, for any number
// of workers, since only the formatting runs out of order.
//
// A block may instead come with its place: the bytes of the file, mapped
// in place, where its text belongs. It is then formatted straight there,
// in any order, and nothing is written through the stream.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace qvb::convert {

class OrderedText {
 public:
  // "%*.*E" values with a line end after every perLine of them, counted
  // over all blocks; at most pending blocks wait to be formatted, and about
  // as many formatted ones to be written.
  OrderedText(std::FILE *out, int perLine, int width, int precision, size_t pending);
  OrderedText(const OrderedText &) = delete;
  OrderedText &operator=(const OrderedText &) = delete;

  // Runs produce(*this) on the calling thread, which then helps to format,
  // while threads - 1 more threads (started and joined within this call)
  // format and write. The queue is closed however produce ends; an
  // exception from any thread is rethrown here once all have stopped.
  void run(unsigned threads, const std::function<void(OrderedText &)> &produce);

  // Producer: the next block, owned. When the queue is full the producer
  // formats and writes the oldest block itself instead of waiting, so the
  // text is written even when no worker could be started.
  void add(std::vector<double> &&values);
  // Producer: the emptied vector of a block already formatted, to fill for
  // the next one (its pages are there already: fresh ones cost more than
  // filling them), or an empty vector.
  std::vector<double> recycled();
  // The next count values at values, which stay valid until run() returns.
  void addView(const double *values, size_t count);
  // Producer: the next block, owned, whose text is exactly `bytes` long
  // (every value of a fixed width) and goes to place, which `keep` keeps
  // valid; a text of another length fails the run (run() throws). A null
  // place is add().
  void addPlaced(std::vector<double> &&values, char *place, size_t bytes, std::shared_ptr<void> keep);
  // After run(): false once any write failed.
  bool ok() const { return ok_; }

 private:
  struct Block {
    std::vector<double> owned;
    const double *values = nullptr;
    size_t count = 0;
    size_t first = 0;     // index of the first value over all blocks
    size_t sequence = 0;  // position in the file
    char *place = nullptr;  // where the text goes, or null: through the stream
    size_t placeBytes = 0;
    std::shared_ptr<void> keep;
  };
  // Formats the block at its place; false when the text is not of its length.
  bool formatInPlace(const Block &block) const;
  void enqueue(Block &&block);
  void close();
  // Formats and writes blocks until the queue is closed and empty.
  void work();
  // Formats one block taken from the queue and hands it to settle().
  void process(Block &block);
  // With the lock held, after a block was formatted: writes the blocks
  // whose turn has come unless another thread is writing, then waits while
  // too many formatted blocks wait for an earlier one.
  void settle(std::unique_lock<std::mutex> &hold);

  struct Text {
    std::vector<char> bytes;
    size_t size = 0;
    bool failed = false;  // formatting threw: nothing to write
  };

  std::FILE *out_;
  int perLine_, width_, precision_;
  size_t pending_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Block> queue_;
  bool closed_ = false;
  size_t valuesAdded_ = 0;
  size_t blocksAdded_ = 0;
  size_t blocksWritten_ = 0;
  std::map<size_t, Text> ready_;  // formatted, by position in the file
  bool writing_ = false;          // a thread is writing ready blocks
  std::vector<std::vector<char>> spare_;  // buffers to reuse (fresh pages cost more than the text)
  std::vector<std::vector<double>> spareValues_;
  bool ok_ = true;
};

// writeRealLines's bytes with the formatting shared by threads (the caller
// and threads - 1 more, for this call only); threads <= 1 is writeRealLines.
bool writeRealLinesOnThreads(std::FILE *out, const double *values, size_t count, int perLine, int width,
                             int precision, unsigned threads);

}  // namespace qvb::convert
