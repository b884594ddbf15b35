#include "sample_body.h"

namespace qvbsample {

QVB_Handle buildSampleBody(const std::vector<int> &modes) {
  QVB_Handle b = QVB_Create(4, static_cast<int>(modes.size()));
  if (b == nullptr) return nullptr;
  QVB_SetUnits(b, "kg", "m", "s", "n");
  QVB_SetVersion(b, 4);
  QVB_SetHeader(b, "panel", "fuzz seed", "TRANSLATOR", "c1", "c2", "c3");
  const double xyz[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5}};
  for (int n = 0; n < 4; ++n) {
    QVB_SetNodeCoordinates(b, 10 + n, xyz[n][0], xyz[n][1], xyz[n][2]);
    QVB_SetNodalMass(b, 10 + n, 1.0 + n);
  }
  int first[3] = {10, 11, 12}, second[3] = {10, 12, 13};
  QVB_SetFaceList(b, 3, first);
  QVB_SetFaceList(b, 3, second);
  QVB_SetInterfaceNode(b, 10);
  QVB_SetInterfaceNode(b, 12);
  for (int m = 0; m < static_cast<int>(modes.size()); ++m) {
    for (int n = 0; n < 4; ++n) {
      const double s = 0.1 * (m + 1) + 0.01 * n;
      QVB_SetMode(b, modes[m], 10 + n, 0, s, -s, 2 * s, s, 0.5 * s, -s);
      QVB_SetMode(b, modes[m], 10 + n, 1, 1e6 * s, 2e5, 3e5, 4e5 * s, 5e5, 6e5);
    }
    QVB_SetGeneralizedMass(b, modes[m], modes[m], 1.0 + m);
    QVB_SetGeneralizedStiffness(b, modes[m], modes[m], 100.0 * (m + 1) * (m + 1));
    QVB_SetGeneralizedDamping(b, modes[m], modes[m], 0.5 * (m + 1));
    QVB_SetModalPreload(b, modes[m], 3.0 * m);
    QVB_SetModalLoad(b, 0, modes[m], 1.5 * m);
  }
  QVB_RebuildEigenvalues(b);
  QVB_SetInvar1(b, 10.0);
  return b;
}

}  // namespace qvbsample
