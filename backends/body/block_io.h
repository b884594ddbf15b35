// The two directions of a block payload.
//
// Each block's layout is written once (block_table.cpp), as a function
// template over these two classes: every call names one field, which
// BlockWriter encodes and BlockReader decodes. What only decoding needs,
// checks of untrusted data and the flags a decoded block implies, are calls
// too (require, expectSize, set); the writer makes them cost nothing.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "block_codec.h"

namespace qvb::body {

class BlockWriter {
 public:
  static constexpr bool kDecodes = false;

  explicit BlockWriter(ByteSink &sink) : sink_(sink) {}

  template <typename T> void value(T v) { bytes(&v, sizeof v); }
  void i32(int v) { value<int32_t>(v); }
  void u32(uint32_t v) { value(v); }
  void u64(uint64_t v) { value(v); }
  void f64(double v) { value(v); }
  void text(const std::string &s) {
    value<uint32_t>(static_cast<uint32_t>(s.size()));
    bytes(s.data(), s.size());
  }
  // A 64-bit count, then the values.
  template <typename T> void array(const std::vector<T> &v) {
    value<uint64_t>(v.size());
    bytes(v.data(), v.size() * sizeof(T));
  }
  template <typename T, size_t N> void fixed(const std::array<T, N> &v) { bytes(v.data(), sizeof(T) * N); }
  // Mode values without a count in front (the reader knows how many).
  void modeValues(const ModeValues &v, uint64_t /*count*/) { bytes(v.data(), v.size() * sizeof(double)); }
  // Where the mode values of the block start: see modeValuesOffset().
  void markModeValues() { modeValuesAt_ = written_; }
  uint64_t modeValuesAt() const { return modeValuesAt_; }

  // Decoding only.
  template <typename T, typename V> void set(const T & /*target*/, const V & /*value*/) {}
  void require(bool /*holds*/, const char * /*problem*/) {}
  void expectSize(size_t /*actual*/, size_t /*expected*/) {}

 private:
  void bytes(const void *data, size_t size) {
    if (size) sink_.write(data, size);
    written_ += size;
  }

  ByteSink &sink_;
  uint64_t written_ = 0;
  uint64_t modeValuesAt_ = 0;
};

class BlockReader {
 public:
  static constexpr bool kDecodes = true;

  BlockReader(ByteSource &source, uint64_t size, int block) : source_(source), left_(size), block_(block) {}

  [[noreturn]] void fail(const std::string &what) const;

  template <typename T> void value(T &v) { bytes(&v, sizeof v); }
  void i32(int &v) {
    int32_t stored;
    value(stored);
    v = stored;
  }
  void u32(uint32_t &v) { value(v); }
  void u64(uint64_t &v) { value(v); }
  void f64(double &v) { value(v); }
  void text(std::string &s) {
    uint32_t n;
    value(n);
    if (n > left_) fail("declares a longer text than it holds");
    s.assign(n, '\0');
    bytes(s.data(), n);
  }
  template <typename T> void array(std::vector<T> &v) {
    uint64_t n;
    value(n);
    if (n > left_ / sizeof(T)) fail("declares more values than it holds");
    v.assign(n, T{});
    if (n) bytes(v.data(), n * sizeof(T));
  }
  template <typename T, size_t N> void fixed(std::array<T, N> &v) { bytes(v.data(), sizeof(T) * N); }
  // Exactly n doubles: borrowed from the source when it lends them on a
  // double's alignment, else copied.
  void modeValues(ModeValues &v, uint64_t n);
  void markModeValues() {}

  // What a decoded block implies beyond its bytes (a presence flag, say).
  template <typename T, typename V> void set(T &target, const V &value) { target = value; }
  void require(bool holds, const char *problem) {
    if (!holds) fail(problem);
  }
  void expectSize(size_t actual, size_t expected) {
    if (actual != expected) fail("does not match the node or mode count");
  }
  void finish() const {
    if (left_ != 0) fail("has unexpected trailing data");
  }

 private:
  void bytes(void *data, uint64_t size) {
    if (size > left_ || !source_.read(data, size)) fail("is truncated");
    left_ -= size;
  }

  ByteSource &source_;
  uint64_t left_;
  int block_;
};

template <typename Io> constexpr bool kDecoding = Io::kDecodes;

}  // namespace qvb::body
