// The values of one mode of one result kind (six doubles per mode node).
//
// Most bodies own these arrays. A body read from a file may instead look
// straight at the file's bytes, mapped into memory: a body of a million nodes
// then opens without copying (or even touching) gigabytes of mode values. The
// first change to such an array copies it into storage of its own, so every
// body stays freely editable and the file is never written through.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace qvb::body {

class ModeValues {
 public:
  ModeValues() = default;
  ModeValues(std::vector<double> values) : owned_(std::move(values)) {}  // NOLINT: implicit by design

  // A view of n doubles that stay valid while `keeper` lives.
  static ModeValues borrowed(std::shared_ptr<const void> keeper, const double *data, size_t n) {
    ModeValues v;
    v.keeper_ = std::move(keeper);
    v.view_ = data;
    v.viewSize_ = n;
    return v;
  }

  bool isBorrowed() const { return view_ != nullptr; }
  size_t size() const { return view_ ? viewSize_ : owned_.size(); }
  bool empty() const { return size() == 0; }
  const double *data() const { return view_ ? view_ : owned_.data(); }
  const double *begin() const { return data(); }
  const double *end() const { return data() + size(); }
  double operator[](size_t i) const { return data()[i]; }

  // The values for changing them: a borrowed array is copied first.
  std::vector<double> &mutableValues() {
    if (view_) {
      owned_.assign(view_, view_ + viewSize_);
      view_ = nullptr;
      viewSize_ = 0;
      keeper_.reset();
    }
    return owned_;
  }

 private:
  std::vector<double> owned_;
  std::shared_ptr<const void> keeper_;
  const double *view_ = nullptr;
  size_t viewSize_ = 0;
};

}  // namespace qvb::body
