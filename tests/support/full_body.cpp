#include "full_body.h"

namespace qvbtest {

QVB_Handle buildFullBody(const s_FLEX_INTERFACE &f, const BodyUnits &units, const std::vector<int> &modes) {
  const int modeCount = static_cast<int>(modes.size());
  QVB_Handle b = f.QVB_Create(4, modeCount);
  if (b == nullptr) return nullptr;
  const double mass = units.mass, length = units.length;
  const double inertia = mass * length * length, moment = length;  // force unit: newton in both
  const double stress = 1.0 / (length * length);                   // newton per square length unit
  f.QVB_SetUnits(b, units.massUnit, units.lengthUnit, "s", "n");
  f.QVB_SetVersion(b, 4);
  f.QVB_SetHeader(b, "wing", "second text", "TRANSLATOR", "c1", "c2", "c3");
  const double xyz[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5}};
  for (int n = 0; n < 4; ++n) {
    const int id = 10 + n;
    f.QVB_SetNodeCoordinates(b, id, xyz[n][0] * length, xyz[n][1] * length, xyz[n][2] * length);
    f.QVB_SetNodalMass(b, id, (1.0 + n) * mass);
    f.QVB_SetNodalInertia(b, id, 0.1 * inertia, 0.2 * inertia, 0.3 * inertia, 0.01 * inertia, 0, 0.02 * inertia);
  }
  int tri1[3] = {10, 11, 12}, tri2[3] = {10, 12, 13};
  f.QVB_SetFaceList(b, 3, tri1);
  f.QVB_SetFaceList(b, 3, tri2);
  f.QVB_SetInterfaceNode(b, 10);
  f.QVB_SetInterfaceNode(b, 12);
  for (int m = 0; m < modeCount; ++m) {
    for (int n = 0; n < 4; ++n) {
      const double s = 0.1 * (m + 1) + 0.01 * n;
      f.QVB_SetMode(b, modes[m], 10 + n, 0, s * length, -s * length, 2 * s * length, s, 0.5 * s, -s);
      f.QVB_SetMode(b, modes[m], 10 + n, 1, 1e6 * s * stress, 2e5 * s * stress, 3e5 * stress, 4e5 * stress,
                    5e5 * s * stress, 6e5 * stress);
      f.QVB_SetMode(b, modes[m], 10 + n, 2, 1e-3 * s, 2e-3, 3e-3, 4e-3 * s, 5e-3, 6e-3);
    }
    f.QVB_SetGeneralizedMass(b, modes[m], modes[m], (1.0 + m) * inertia);
    f.QVB_SetGeneralizedStiffness(b, modes[m], modes[m], 100.0 * (m + 1) * (m + 1) * inertia);
    f.QVB_SetGeneralizedDamping(b, modes[m], modes[m], 0.5 * (m + 1) * inertia);
    f.QVB_SetModalPreload(b, modes[m], 3.0 * m * moment);
    f.QVB_SetModalLoad(b, 0, modes[m], 1.5 * m * moment);
    f.QVB_SetModalLoad(b, 1, modes[m], -2.0 * m * moment);
    double i3[3] = {m * mass * length, 1 * mass * length, 2 * mass * length};
    f.QVB_SetInvar3(b, modes[m], i3);
    double i4[3] = {m * inertia, -inertia, 0.5 * inertia};
    f.QVB_SetInvar4(b, modes[m], i4);
    double i8[9] = {1, 2, 3, 4, 5, 6, 7, 8, double(m)};
    for (double &v : i8) v *= inertia;
    f.QVB_SetInvar8(b, modes[m], i8);
    for (int k = 0; k < modeCount; ++k) {
      double i5[3] = {double(m - k) * inertia, 0.5 * inertia, -inertia};
      f.QVB_SetInvar5(b, modes[m], modes[k], i5);
      f.QVB_SetInvar9(b, modes[m], modes[k], i8);
    }
  }
  if (modeCount >= 2) f.QVB_SetGeneralizedStiffness(b, modes[0], modes[1], 0.25 * inertia);
  f.QVB_SetMode(b, 0, 11, 1, 7e5 * stress, 0, 0, 0, 0, 1e5 * stress);  // pre-stress
  f.QVB_SetMode(b, 0, 11, 2, 7e-4, 0, 0, 0, 0, 1e-4);                  // pre-strain
  f.QVB_RebuildEigenvalues(b);
  double centre[3] = {0.5 * length, 0.5 * length, 0.1 * length};
  double global[9] = {1, 0, 0, 0, 2, 0, 0, 0, 3};
  for (double &v : global) v *= inertia;
  f.QVB_SetGlobalMass(b, 10.0 * mass, global, centre);
  f.QVB_SetInvar1(b, 10.0 * mass);
  double i2[3] = {5 * mass * length, 5 * mass * length, 1 * mass * length};
  f.QVB_SetInvar2(b, i2);
  double i7[6] = {1 * inertia, 2 * inertia, 3 * inertia, 0.1 * inertia, 0.2 * inertia, 0.3 * inertia};
  f.QVB_SetInvar7(b, i7);
  // The identity but for one coupling of the last two modes.
  std::vector<double> transformation(static_cast<size_t>(modeCount) * modeCount, 0.0);
  for (int m = 0; m < modeCount; ++m) transformation[m * modeCount + m] = 1.0;
  if (modeCount >= 2) transformation[(modeCount - 1) * modeCount + modeCount - 2] = 0.5;
  if (modeCount > 0) f.QVB_SetTransformation(b, transformation.data());
  f.QVB_SetModalPreloadProcessed(b, 1);
  f.QVB_SetModalLoadLabel(b, 0, "gravity");
  f.QVB_SetModalLoadLabel(b, 1, "pressure");
  f.QVB_SetModalLoadProcessed(b, 1, 1);
  f.QVB_SetModalLoadNodal(b, 0, 11, 2, 40.0);
  f.QVB_SetModalLoadNodal(b, 0, 12, 5, 3.0 * moment);
  int rows[2] = {10, 13};
  f.QVB_SetMonitorPointInfo(b, 1, 2, 3, 2, rows, "probe", "a probe at the tip");
  // Two rows by one column a mode, for both operators.
  std::vector<double> op(2 * static_cast<size_t>(modeCount));
  for (size_t k = 0; k < op.size(); ++k) op[k] = 1.0 + k;
  f.QVB_SetMonitorPointOperator(b, 0, 1, op.data());
  f.QVB_SetMonitorPointOperator(b, 0, 4, op.data());
  char label1[] = "row one", label2[] = "row two";
  char *labels[2] = {label1, label2};
  f.QVB_SetMatrixOperatorInfo(b, "stress recovery", labels, 2);
  f.QVB_SetMatrixOperatorData(b, 0, "SIG", modeCount, op.data());
  double axisCentre[3] = {0, 0, 1 * length}, axis[3] = {0, 0, 1};
  f.QVB_SetRotorDynamicsAxis(b, axisCentre, axis);
  if (modeCount >= 3) {
    f.QVB_SetRotorDynamicsMatrix(b, 0, 0, 1, 2.0 * inertia);
    f.QVB_SetRotorDynamicsMatrix(b, 2, 2, 2, 3.0 * inertia);
  }
  return b;
}

}  // namespace qvbtest
