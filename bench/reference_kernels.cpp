#include "reference_kernels.h"

namespace qvbbench {

void PerPairInvariants(QVB_Handle body, int n, std::vector<double> &i5, std::vector<double> &i9) {
  const size_t nodes = static_cast<size_t>(QVB_NodeCount(body)), nn = static_cast<size_t>(n);
  std::vector<double> masses(nodes), a(nodes * 3), b(nodes * 3);
  for (size_t p = 0; p < nodes; ++p) masses[p] = QVB_NodalMass(body, static_cast<int>(p));
  i5.assign(nn * 3 * nn, 0.0);
  i9.assign(nn * nn * 9, 0.0);
  for (size_t j = 0; j < nn; ++j) {
    QVB_Mode(body, static_cast<int>(j) + 1, 0, a.data(), 0);
    for (size_t k = j; k < nn; ++k) {
      QVB_Mode(body, static_cast<int>(k) + 1, 0, b.data(), 0);
      double cross[3] = {0, 0, 0}, block[9] = {};
      for (size_t p = 0; p < nodes; ++p) {
        const double m = masses[p], *u = &a[p * 3], *v = &b[p * 3];
        cross[0] += m * (u[1] * v[2] - u[2] * v[1]);
        cross[1] += m * (u[2] * v[0] - u[0] * v[2]);
        cross[2] += m * (u[0] * v[1] - u[1] * v[0]);
        const double dot = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
        for (int r = 0; r < 3; ++r)
          for (int c = 0; c < 3; ++c) block[3 * r + c] += m * (v[r] * u[c] - (r == c ? dot : 0.0));
      }
      for (int r = 0; r < 3; ++r) {
        i5[(j * 3 + r) * nn + k] = cross[r];
        i5[(k * 3 + r) * nn + j] = -cross[r];
        for (int c = 0; c < 3; ++c) {
          i9[(j * nn + k) * 9 + 3 * r + c] = block[3 * r + c];
          i9[(k * nn + j) * 9 + 3 * c + r] = block[3 * r + c];
        }
      }
    }
  }
}

void PrintfRealLines(std::FILE *out, const double *values, size_t count, int per_line, int width,
                     int precision) {
  for (size_t i = 0; i < count; ++i) {
    std::fprintf(out, "%*.*E", width, precision, values[i]);
    if ((i + 1) % static_cast<size_t>(per_line) == 0) std::fputc('\n', out);
  }
}

}  // namespace qvbbench
