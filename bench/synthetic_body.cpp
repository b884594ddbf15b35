#include "synthetic_body.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "qvb.h"

namespace qvb::bench {

namespace {

// A cheap deterministic value stream; shapes need variety, not quality.
class Values {
 public:
  explicit Values(uint64_t seed) : state_(seed | 1) {}
  double next() {  // in [-1, 1)
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) * 0x1p-52 - 1.0;
  }

 private:
  uint64_t state_;
};

}  // namespace

bool writeSyntheticBody(const std::string &path, const BodySize &size) {
  QVB_Handle body = QVB_Create(size.nodes, size.modes);
  if (body == nullptr) {
    std::fprintf(stderr, "cannot create a body (is TRX_USER_PLUGIN_DIR set?)\n");
    return false;
  }
  QVB_SetUnits(body, "KILOGRAM", "METER", "SECOND", "NEWTON");
  QVB_SetHeader(body, "synthetic", "bench", "BENCH", "", "", "");
  // Nodes on a 100 x 100 x k grid, 1 cm apart, with masses that vary.
  Values values(0x5eed + static_cast<uint64_t>(size.nodes) * 131 + size.modes);
  for (int id = 1; id <= size.nodes; ++id) {
    const int i = id - 1;
    QVB_SetNodeCoordinates(body, id, 0.01 * (i % 100), 0.01 * (i / 100 % 100), 0.01 * (i / 10000));
    QVB_SetNodalMass(body, id, 1e-3 * (1.5 + values.next()));
    const double j = 1e-8 * (1.5 + values.next());
    QVB_SetNodalInertia(body, id, j, j, j, 0.0, 0.0, 0.0);
  }
  for (int id = 1; id <= kInterfaceNodes && id <= size.nodes; ++id) QVB_SetInterfaceNode(body, id);
  double six[6];
  for (int mode = 1; mode <= size.modes; ++mode) {
    for (int id = 1; id <= size.nodes; ++id) {
      for (double &v : six) v = values.next();
      QVB_SetModeVec(body, mode, id, 0, six);
      if (size.stresses) {
        for (double &v : six) v = 1e6 * values.next();
        QVB_SetModeVec(body, mode, id, 1, six);
      }
    }
    const double omega = 2.0 * M_PI * (10.0 + 7.0 * mode);
    QVB_SetGeneralizedMass(body, mode, mode, 1.0);
    QVB_SetGeneralizedStiffness(body, mode, mode, omega * omega);
  }
  QVB_RebuildEigenvalues(body);
  const bool written = QVB_write_QVB(body, path.c_str()) != 0;
  QVB_Destroy(body);
  if (!written) std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return written;
}

}  // namespace qvb::bench
