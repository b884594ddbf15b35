#include <cstring>
#include <stdexcept>
#include <utility>

#include "convert/ordered_text.h"
#include "convert/real_lines.h"
#include "convert/text_output.h"

namespace qvb::convert {

std::shared_ptr<platform::InPlaceRun::Window> InPlaceOutput::claim(size_t bytes) {
  if (bytes > run_->size() - at_) throw std::logic_error("matrix text longer than its place");
  std::shared_ptr<platform::InPlaceRun::Window> window = run_->windowFor(at_, bytes);
  at_ += bytes;
  return window;
}

void InPlaceOutput::write(const char *bytes, size_t length) {
  const uint64_t from = at_;
  if (auto window = claim(length)) std::memcpy(window->at(from), bytes, length);
}

void InPlaceOutput::realLines(const double *values, size_t count, const RealFormat &format) {
  const uint64_t from = at_;
  const size_t bytes = realLinesBytes(0, count, format.perLine, format.width);
  auto window = claim(bytes);
  if (window && !formatRealLinesInPlace(window->at(from), bytes, values, count, 0, format.perLine, format.width,
                                        format.precision))
    throw std::logic_error("matrix text of another width than its place");
}

void InPlaceOutput::realLineBlocks(const RealFormat &format, unsigned threads, const NextBlock &next) {
  // Each block is formatted at its place by whichever thread takes it; its
  // window stays mapped until the last block in it is made.
  OrderedText text(nullptr, format.perLine, format.width, format.precision, 2 * static_cast<size_t>(threads));
  text.run(threads, [&](OrderedText &into) {
    size_t first = 0;
    for (std::vector<double> block = into.recycled(); next(block); block = into.recycled()) {
      const uint64_t from = at_;
      const size_t bytes = realLinesBytes(first, block.size(), format.perLine, format.width);
      first += block.size();
      std::shared_ptr<platform::InPlaceRun::Window> window = claim(bytes);
      if (!window) return;  // the reason is kept for closing
      char *place = window->at(from);
      into.addPlaced(std::move(block), place, bytes, std::move(window));
    }
  });
}

}  // namespace qvb::convert
