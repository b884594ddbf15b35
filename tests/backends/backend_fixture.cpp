#include "backend_fixture.h"

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace qvbtest {
namespace {

void record(const char *prefix, const char *format, va_list args) {
  char text[1000];
  std::vsnprintf(text, sizeof text, format, args);
  messages().push_back(std::string(prefix) + text);
}
void onError(const char *format, ...) {
  va_list a;
  va_start(a, format);
  record("E: ", format, a);
  va_end(a);
}
void onWarning(const char *format, ...) {
  va_list a;
  va_start(a, format);
  record("W: ", format, a);
  va_end(a);
}
void onInfo(const char *format, ...) {
  va_list a;
  va_start(a, format);
  record("I: ", format, a);
  va_end(a);
}

s_FLEX_INTERFACE load() {
  void *library = dlopen(QVBFLEX_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  if (!library) throw std::runtime_error(dlerror());
  auto populate = reinterpret_cast<QVB_PopulateInterfaceFn>(dlsym(library, "PopulateInterface"));
  auto handlers = reinterpret_cast<QVB_SetMessageHandlersFn>(dlsym(library, "SetMessageHandlers"));
  if (!populate || !handlers) throw std::runtime_error("entry points missing");
  s_FLEX_INTERFACE table;
  populate(&table);
  static s_MSG_HANDLERS channel{onError, onWarning, onInfo};
  handlers(&channel);
  return table;
}

}  // namespace

const s_FLEX_INTERFACE &flex() {
  static const s_FLEX_INTERFACE table = load();
  return table;
}

std::vector<std::string> &messages() {
  static std::vector<std::string> list;
  return list;
}

bool anyMessageContains(const std::string &text) {
  for (const std::string &m : messages())
    if (m.find(text) != std::string::npos) return true;
  return false;
}

QVB_Handle buildFullBody(const char *massUnit, const char *lengthUnit, double mass, double length) {
  const s_FLEX_INTERFACE &f = flex();
  QVB_Handle b = f.QVB_Create(4, 3);
  const double inertia = mass * length * length, moment = length;  // force unit: newton in both
  f.QVB_SetUnits(b, massUnit, lengthUnit, "s", "n");
  f.QVB_SetVersion(b, 4);
  f.QVB_SetHeader(b, "wing", "second text", "TRANSLATOR", "c1", "c2", "c3");
  const double xyz[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5}};
  for (int n = 0; n < 4; ++n) {
    int id = 10 + n;
    f.QVB_SetNodeCoordinates(b, id, xyz[n][0] * length, xyz[n][1] * length, xyz[n][2] * length);
    f.QVB_SetNodalMass(b, id, (1.0 + n) * mass);
    f.QVB_SetNodalInertia(b, id, 0.1 * inertia, 0.2 * inertia, 0.3 * inertia, 0.01 * inertia, 0, 0.02 * inertia);
  }
  int tri1[3] = {10, 11, 12}, tri2[3] = {10, 12, 13};
  f.QVB_SetFaceList(b, 3, tri1);
  f.QVB_SetFaceList(b, 3, tri2);
  f.QVB_SetInterfaceNode(b, 10);
  f.QVB_SetInterfaceNode(b, 12);
  const int modes[3] = {1, 2, 7};
  for (int m = 0; m < 3; ++m) {
    for (int n = 0; n < 4; ++n) {
      double s = 0.1 * (m + 1) + 0.01 * n;
      f.QVB_SetMode(b, modes[m], 10 + n, 0, s * length, -s * length, 2 * s * length, s, 0.5 * s, -s);
      const double stress = 1.0 / (length * length);  // newton per square length unit
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
    for (int k = 0; k < 3; ++k) {
      double i5[3] = {double(m - k) * inertia, 0.5 * inertia, -inertia};
      f.QVB_SetInvar5(b, modes[m], modes[k], i5);
      f.QVB_SetInvar9(b, modes[m], modes[k], i8);
    }
  }
  f.QVB_SetGeneralizedStiffness(b, 1, 2, 0.25 * inertia);
  f.QVB_SetMode(b, 0, 11, 1, 7e5 / (length * length), 0, 0, 0, 0, 1e5 / (length * length));  // pre-stress
  f.QVB_SetMode(b, 0, 11, 2, 7e-4, 0, 0, 0, 0, 1e-4);  // pre-strain
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
  double transformation[9] = {1, 0, 0, 0, 1, 0, 0, 0.5, 1};
  f.QVB_SetTransformation(b, transformation);
  f.QVB_SetModalPreloadProcessed(b, 1);
  f.QVB_SetModalLoadLabel(b, 0, "gravity");
  f.QVB_SetModalLoadLabel(b, 1, "pressure");
  f.QVB_SetModalLoadProcessed(b, 1, 1);
  f.QVB_SetModalLoadNodal(b, 0, 11, 2, 40.0);
  f.QVB_SetModalLoadNodal(b, 0, 12, 5, 3.0 * moment);
  int rows[2] = {10, 13};
  f.QVB_SetMonitorPointInfo(b, 1, 2, 3, 2, rows, "probe", "a probe at the tip");
  double op[6] = {1, 2, 3, 4, 5, 6};
  f.QVB_SetMonitorPointOperator(b, 0, 1, op);
  f.QVB_SetMonitorPointOperator(b, 0, 4, op);
  char label1[] = "row one", label2[] = "row two";
  char *labels[2] = {label1, label2};
  f.QVB_SetMatrixOperatorInfo(b, "stress recovery", labels, 2);
  double data[6] = {1, 2, 3, 4, 5, 6};
  f.QVB_SetMatrixOperatorData(b, 0, "SIG", 3, data);
  double axisCentre[3] = {0, 0, 1 * length}, axis[3] = {0, 0, 1};
  f.QVB_SetRotorDynamicsAxis(b, axisCentre, axis);
  f.QVB_SetRotorDynamicsMatrix(b, 0, 0, 1, 2.0 * inertia);
  f.QVB_SetRotorDynamicsMatrix(b, 2, 2, 2, 3.0 * inertia);
  return b;
}

std::string contents(QVB_Handle body, int block) {
  std::FILE *tmp = std::tmpfile();
  flex().QVB_Contents(body, block, tmp);
  std::rewind(tmp);
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, tmp)) > 0) text.append(buffer, n);
  std::fclose(tmp);
  return text;
}

std::vector<double> take(double *values, size_t count) {
  std::vector<double> out(values, values ? values + count : values);
  flex().QVB_FreeMemory(values);
  return out;
}

std::vector<int> take(int *values, size_t count) {
  std::vector<int> out(values, values ? values + count : values);
  flex().QVB_FreeMemory(values);
  return out;
}

}  // namespace qvbtest
