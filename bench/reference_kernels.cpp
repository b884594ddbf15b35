#include "reference_kernels.h"

#include "reference/invariants_5_9.h"

namespace qvb::bench {

void perPairInvariants(QVB_Handle body, int n, std::vector<double> &i5, std::vector<double> &i9) {
  const size_t nodes = static_cast<size_t>(QVB_NodeCount(body));
  std::vector<double> masses(nodes);
  for (size_t p = 0; p < nodes; ++p) masses[p] = QVB_NodalMass(body, static_cast<int>(p));
  qvb::reference::invariants5And9Fetched(
      masses, n,
      [body](int j, double *shape) {
        QVB_Mode(body, j + 1, 0, shape, 0);
        return true;
      },
      i5, i9, {});
}

void printfRealLines(std::FILE *out, const double *values, size_t count, int perLine, int width,
                     int precision) {
  for (size_t i = 0; i < count; ++i) {
    std::fprintf(out, "%*.*E", width, precision, values[i]);
    if ((i + 1) % static_cast<size_t>(perLine) == 0) std::fputc('\n', out);
  }
}

}  // namespace qvb::bench
