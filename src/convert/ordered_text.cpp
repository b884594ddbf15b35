#include "convert/ordered_text.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "convert/number_format.h"
#include "convert/real_lines.h"
#include "platform/worker_threads.h"

namespace qvb::convert {

OrderedText::OrderedText(std::FILE *out, int perLine, int width, int precision, size_t pending)
    : out_(out), perLine_(perLine), width_(width), precision_(precision), pending_(std::max<size_t>(pending, 1)) {
  spare_.reserve(pending_ + 2);
  spareValues_.reserve(pending_ + 2);
}

std::vector<double> OrderedText::recycled() {
  std::lock_guard<std::mutex> hold(lock_);
  if (spareValues_.empty()) return {};
  std::vector<double> values = std::move(spareValues_.back());
  spareValues_.pop_back();
  return values;
}

void OrderedText::add(std::vector<double> &&values) { addPlaced(std::move(values), nullptr, 0, nullptr); }

void OrderedText::addView(const double *values, size_t count) {
  Block block;
  block.values = values;
  block.count = count;
  enqueue(std::move(block));
}

void OrderedText::addPlaced(std::vector<double> &&values, char *place, size_t bytes, std::shared_ptr<void> keep) {
  Block block;
  block.owned = std::move(values);
  block.values = block.owned.data();
  block.count = block.owned.size();
  block.place = place;
  block.placeBytes = bytes;
  block.keep = std::move(keep);
  enqueue(std::move(block));
}

void OrderedText::enqueue(Block &&block) {
  std::unique_lock<std::mutex> hold(lock_);
  block.first = valuesAdded_;
  block.sequence = blocksAdded_++;
  valuesAdded_ += block.count;
  queue_.push_back(std::move(block));
  changed_.notify_all();
  if (queue_.size() <= pending_) return;
  // Full: take the oldest block and do its work here.
  Block oldest = std::move(queue_.front());
  queue_.pop_front();
  hold.unlock();
  process(oldest);
}

void OrderedText::close() {
  std::lock_guard<std::mutex> hold(lock_);
  closed_ = true;
  changed_.notify_all();
}

void OrderedText::work() {
  for (;;) {
    Block block;
    {
      std::unique_lock<std::mutex> hold(lock_);
      changed_.wait(hold, [this] { return closed_ || !queue_.empty(); });
      if (queue_.empty()) return;
      block = std::move(queue_.front());
      queue_.pop_front();
    }
    process(block);
  }
}

void OrderedText::run(unsigned threads, const std::function<void(OrderedText &)> &produce) {
  platform::runOnThreads(threads, [&](unsigned index) {
    if (index == 0) {
      try {
        produce(*this);
      } catch (...) {
        close();  // or the workers would wait for blocks forever
        throw;
      }
      close();
    }
    work();
  });
}

bool OrderedText::formatInPlace(const Block &block) const {
  return formatRealLinesInPlace(block.place, block.placeBytes, block.values, block.count, block.first, perLine_, width_,
                                precision_);
}

void OrderedText::process(Block &block) {
  if (block.place != nullptr) {
    const bool placed = formatInPlace(block);
    block.keep.reset();  // the place may go (its window unmapped) once no block needs it
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (spareValues_.size() < spareValues_.capacity()) spareValues_.push_back(std::move(block.owned));
    }
    if (!placed) throw std::logic_error("matrix text of another width than its place");
    return;
  }
  Text text;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!spare_.empty()) {
      text.bytes = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  // Room per value: the padded text (at most 26 characters unpadded for
  // precisions up to 17) and a line end.
  const size_t perValue = static_cast<size_t>(std::max(width_, 32)) + 1;
  std::exception_ptr failure;
  try {
    if (text.bytes.size() < block.count * perValue) text.bytes.resize(block.count * perValue);
    const size_t line = perLine_ > 0 ? static_cast<size_t>(perLine_) : 0;
    char *at = text.bytes.data();
    for (size_t i = 0; i < block.count; ++i) {
      at += formatScientific(at, block.values[i], width_, precision_);
      if (line > 0 && (block.first + i + 1) % line == 0) *at++ = '\n';
    }
    text.size = static_cast<size_t>(at - text.bytes.data());
  } catch (...) {
    failure = std::current_exception();
    text.failed = true;  // still takes its turn, so no later block waits forever
  }
  std::unique_lock<std::mutex> hold(lock_);
  // Formatted: its values are no longer needed, its memory is (push_back
  // within the reserved room cannot throw).
  if (block.owned.capacity() > 0 && spareValues_.size() < spareValues_.capacity())
    spareValues_.push_back(std::move(block.owned));
  block.owned = std::vector<double>();
  ready_.emplace(block.sequence, std::move(text));
  settle(hold);
  hold.unlock();
  if (failure) std::rethrow_exception(failure);
}

void OrderedText::settle(std::unique_lock<std::mutex> &hold) {
  for (;;) {
    if (!writing_ && !ready_.empty() && ready_.begin()->first == blocksWritten_) {
      writing_ = true;
      while (!ready_.empty() && ready_.begin()->first == blocksWritten_) {
        Text text = std::move(ready_.begin()->second);
        ready_.erase(ready_.begin());
        // The turn is ours until blocksWritten_ moves on, so the write runs
        // unlocked while the others format the next blocks.
        hold.unlock();
        const bool written =
            !text.failed && (text.size == 0 || std::fwrite(text.bytes.data(), 1, text.size, out_) == text.size);
        hold.lock();
        ok_ = ok_ && written;
        ++blocksWritten_;
        if (spare_.size() < spare_.capacity()) spare_.push_back(std::move(text.bytes));  // cannot throw
        changed_.notify_all();
      }
      writing_ = false;
      changed_.notify_all();
    }
    if (ready_.size() <= pending_) return;
    changed_.wait(hold);
  }
}

bool writeRealLinesOnThreads(std::FILE *out, const double *values, size_t count, int perLine, int width,
                             int precision, unsigned threads) {
  // The same chunk as the one-thread writer: large writes, text warm in cache.
  constexpr size_t kChunk = size_t{1} << 15;
  if (threads <= 1 || count <= kChunk) return writeRealLines(out, values, count, perLine, width, precision);
  OrderedText text(out, perLine, width, precision, 2 * static_cast<size_t>(threads));
  text.run(threads, [&](OrderedText &into) {
    for (size_t at = 0; at < count; at += kChunk) into.addView(values + at, std::min(kChunk, count - at));
  });
  return text.ok();
}

}  // namespace qvb::convert
