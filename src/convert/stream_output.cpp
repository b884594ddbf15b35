#include <utility>

#include "convert/ordered_text.h"
#include "convert/real_lines.h"
#include "convert/text_output.h"

namespace qvb::convert {

void StreamOutput::write(const char *bytes, size_t length) { std::fwrite(bytes, 1, length, out_); }

void StreamOutput::realLines(const double *values, size_t count, const RealFormat &format) {
  writeRealLinesOnThreads(out_, values, count, format.perLine, format.width, format.precision, threads_);
}

void StreamOutput::realLineBlocks(const RealFormat &format, unsigned threads, const NextBlock &next) {
  if (threads <= 1) {
    std::vector<double> block;
    for (size_t first = 0; next(block); first += block.size())
      writeRealLines(out_, block.data(), block.size(), format.perLine, format.width, format.precision, first);
    return;
  }
  // Formatted by all threads and written in order, as each block's turn comes.
  OrderedText text(out_, format.perLine, format.width, format.precision, 2 * static_cast<size_t>(threads));
  text.run(threads, [&](OrderedText &into) {
    for (std::vector<double> block = into.recycled(); next(block); block = into.recycled()) into.add(std::move(block));
  });
}

}  // namespace qvb::convert
