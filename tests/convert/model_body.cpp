#include "model_body.h"

#include <cstdlib>
#include <cstring>

#include "fake_backend.h"

namespace convert_test {

namespace {

using qvbfake::Call;
using qvbfake::Result;
namespace slot = qvbfake::slot;

// Arrays go out on the process heap: the converter returns them through
// QVB_FreeMemory (hooked to free) or frees them itself.
double *heapCopy(const std::vector<double> &values) {
  auto *copy = static_cast<double *>(std::malloc(sizeof(double) * (values.empty() ? 1 : values.size())));
  if (!values.empty()) std::memcpy(copy, values.data(), sizeof(double) * values.size());
  return copy;
}

int intArg(const Call &c, size_t k) { return c.args.at(k).i; }
double *doubleOut(const Call &c, size_t k) { return static_cast<double *>(c.args.at(k).pointer); }
int *intOut(const Call &c, size_t k) { return static_cast<int *>(c.args.at(k).pointer); }

}  // namespace

QVB_Handle ModelBody::serve() {
  using qvbfake::setHook;
  ModelBody &b = *this;
  const int M = modeCount();
  auto indexOfMode = [M](int number) { return number >= 1 && number <= M ? number - 1 : -1; };
  auto indexOfNode = [&b](int id) {
    for (int i = 0; i < b.nodeCount(); ++i)
      if (b.nodeIds[i] == id) return i;
    return -1;
  };

  setHook(slot::QVB_FreeMemory, [](const Call &c) { std::free(c.args.at(0).pointer); return Result(1); });
  setHook(slot::QVB_Double_Prec, [&b](const Call &) { return Result(b.doublePrecision ? 1 : 0); });
  setHook(slot::QVB_Header, [&b](const Call &c) {
    std::strcpy(static_cast<char *>(c.args.at(1).pointer), b.title.c_str());
    std::strcpy(static_cast<char *>(c.args.at(2).pointer), b.text2.c_str());
    return Result(1);
  });
  setHook(slot::QVB_Exists, [&b](const Call &c) {
    switch (intArg(c, 1)) {
      case 8: return Result(b.masses.empty() ? 0 : 1);
      case 22: case 25: return Result(b.storedInvar59 ? 1 : 0);
      case 36: return Result(b.rotor ? 1 : 0);
      default: return Result(1);
    }
  });
  // Units: the multipliers are the state; names set by QVB_SetUnits make SI.
  auto unit = [&b](int q) { return [&b, q](const Call &c) { return Result(c.args.at(1).d * b.units[q]); }; };
  setHook(slot::QVB_Mass2Kilogram, unit(0));
  setHook(slot::QVB_Length2Meter, unit(1));
  setHook(slot::QVB_Time2Second, unit(2));
  setHook(slot::QVB_Force2Newton, unit(3));
  setHook(slot::QVB_SetUnits, [&b](const Call &) {
    if (!b.unitsAccepted) return Result(0);
    b.units = {1.0, 1.0, 1.0, 1.0};
    return Result(1);
  });
  setHook(slot::QVB_SetUnitsByMultiplierOnSI, [&b](const Call &c) {
    for (int q = 0; q < 4; ++q) b.units[q] = c.args.at(1 + q).d;
    return Result(1);
  });

  setHook(slot::QVB_NodeCount, [&b](const Call &) { return Result(b.nodeCount()); });
  setHook(slot::QVB_NodeID, [&b](const Call &c) { return Result(b.nodeIds.at(intArg(c, 1))); });
  setHook(slot::QVB_NodeIndex, [indexOfNode](const Call &c) { return Result(indexOfNode(intArg(c, 1))); });
  setHook(slot::QVB_NodeCoordinates, [&b](const Call &c) {
    std::memcpy(doubleOut(c, 2), b.coords.at(intArg(c, 1)).data(), sizeof(Vec3));
    return Result(1);
  });
  setHook(slot::QVB_NodalMass, [&b](const Call &c) { return Result(b.masses.at(intArg(c, 1))); });
  setHook(slot::QVB_InterfaceNodes, [&b](const Call &c) {
    *intOut(c, 1) = static_cast<int>(b.interfaceNodes.size());
    auto *copy = static_cast<int *>(std::malloc(sizeof(int) * (b.interfaceNodes.size() + 1)));
    std::copy(b.interfaceNodes.begin(), b.interfaceNodes.end(), copy);
    return Result(static_cast<void *>(copy));
  });

  setHook(slot::QVB_ModeCount, [M](const Call &) { return Result(M); });
  setHook(slot::QVB_ModeIndex, [indexOfMode](const Call &c) { return Result(indexOfMode(intArg(c, 1))); });
  setHook(slot::QVB_ModeNumber, [](const Call &c) { return Result(intArg(c, 1) + 1); });
  setHook(slot::QVB_ModeNodeCount, [&b](const Call &) { return Result(b.nodeCount()); });
  setHook(slot::QVB_Mode, [&b, indexOfMode](const Call &c) {
    const auto &shapes = intArg(c, 4) == 0 ? b.translation : b.rotation;
    double *out = doubleOut(c, 3);
    for (const Vec3 &v : shapes.at(indexOfMode(intArg(c, 1)))) out = std::copy(v.begin(), v.end(), out);
    return Result(1);
  });
  setHook(slot::QVB_ModeByNodeWithoutCache, [&b, indexOfMode, indexOfNode](const Call &c) {
    const auto &shapes = intArg(c, 5) == 0 ? b.translation : b.rotation;
    const Vec3 &v = shapes.at(indexOfMode(intArg(c, 1))).at(indexOfNode(intArg(c, 3)));
    std::memcpy(doubleOut(c, 4), v.data(), sizeof(Vec3));
    return Result(1);
  });
  setHook(slot::QVB_Eigenvalue, [&b, indexOfMode](const Call &c) {
    *doubleOut(c, 3) = b.eigenvalues.at(indexOfMode(intArg(c, 1)));
    return Result(1);
  });

  setHook(slot::QVB_Invar1, [&b](const Call &) { return Result(b.invar1); });
  auto array = [](const std::vector<double> &v) {
    return [&v](const Call &) { return Result(v.empty() ? nullptr : static_cast<void *>(heapCopy(v))); };
  };
  setHook(slot::QVB_Invar2, array(b.invar2));
  setHook(slot::QVB_Invar3, array(b.invar3));
  setHook(slot::QVB_Invar4, array(b.invar4));
  setHook(slot::QVB_Invar6, array(b.invar6));
  setHook(slot::QVB_Invar7, array(b.invar7));
  setHook(slot::QVB_Invar8, [&b](const Call &c) {
    const int i = intArg(c, 1);
    return Result(static_cast<void *>(heapCopy({b.invar8.begin() + 9 * i, b.invar8.begin() + 9 * i + 9})));
  });
  setHook(slot::QVB_Invar5, [&b](const Call &c) { return Result(static_cast<void *>(heapCopy(b.invar5.at(intArg(c, 1))))); });
  setHook(slot::QVB_Invar9, [&b, M](const Call &c) {
    return Result(static_cast<void *>(heapCopy(b.invar9.at(intArg(c, 1) * M + intArg(c, 2)))));
  });

  setHook(slot::QVB_GenStiffSelected, [&b, M](const Call &c) {
    auto **rows = static_cast<double **>(c.args.at(1).pointer);
    const int n = intArg(c, 2);
    const int *sel = intOut(c, 3);
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n; ++k) rows[j][k] = b.stiffness.at((sel[j] - 1) * M + sel[k] - 1);
    return Result(1);
  });
  setHook(slot::QVB_NumberOfGenDamp, [&b](const Call &) { return Result(b.dampingEntries); });
  setHook(slot::QVB_GenDampPrincipalAndSelected, [&b, M](const Call &c) {
    if (!b.dampingReadable) return Result(0);
    auto **rows = static_cast<double **>(c.args.at(1).pointer);
    const int n = intArg(c, 2);
    const int *sel = intOut(c, 3);
    auto at = [&](int r) { return r < 6 ? r : 6 + sel[r - 6] - 1; };
    for (int r = 0; r < n + 6; ++r)
      for (int q = 0; q < n + 6; ++q) rows[r][q] = b.damping.at(at(r) * (M + 6) + at(q));
    return Result(1);
  });
  setHook(slot::QVB_GetModalPreload, [&b](const Call &) {
    return Result(b.preload ? static_cast<void *>(heapCopy(*b.preload)) : nullptr);
  });
  setHook(slot::QVB_GetModalLoadCaseCount, [&b](const Call &) { return Result(static_cast<int>(b.loads.size())); });
  setHook(slot::QVB_GetModalLoad, [&b](const Call &c) {
    const auto &load = b.loads.at(intArg(c, 1));
    if (int *count = intOut(c, 2)) *count = static_cast<int>(load.size());
    return Result(static_cast<void *>(heapCopy(load)));
  });
  setHook(slot::QVB_RigidBodyModeCount, [&b](const Call &) { return Result(b.rigidModes); });
  setHook(slot::QVB_RotorDynamicsAxis, [&b](const Call &c) {
    std::memcpy(doubleOut(c, 1), b.axisFirst.data(), sizeof(Vec3));
    std::memcpy(doubleOut(c, 2), b.axisSecond.data(), sizeof(Vec3));
    return Result(b.rotor ? 1 : 0);
  });
  setHook(slot::QVB_RotorDynamicsMatrix, [&b](const Call &c) {
    const auto &m = b.rotorMatrices.at(intArg(c, 1));
    return Result(m ? static_cast<void *>(heapCopy(*m)) : nullptr);
  });

  setHook(slot::QVB_GetFreeEdgeCount, [&b](const Call &) { return Result(static_cast<int>(b.freeEdges.size())); });
  setHook(slot::QVB_GetFreeEdgeSize, [&b](const Call &c) { return Result(static_cast<int>(b.freeEdges.at(intArg(c, 1)).size())); });
  setHook(slot::QVB_GetFreeEdge, [&b](const Call &c) {
    const auto &edge = b.freeEdges.at(intArg(c, 1));
    std::copy(edge.begin(), edge.end(), intOut(c, 2));
    return Result(1);
  });
  setHook(slot::QVB_FaceListSize, [&b](const Call &c) {
    *intOut(c, 1) = 0;
    *intOut(c, 2) = static_cast<int>(b.faces.size());
    return Result(1);
  });
  setHook(slot::QVB_ElementFaces, [&b](const Call &c) {
    std::copy(b.faces.begin(), b.faces.end(), intOut(c, 1));
    return Result(1);
  });
  setHook(slot::QVB_Contents, [](const Call &c) {
    std::fprintf(static_cast<std::FILE *>(c.args.at(2).pointer), "block %d\n", intArg(c, 1));
    return Result(1);
  });
  setHook(slot::QVB_write_QVB, [&b](const Call &) { return Result(b.writeResult); });
  return QVB_Create(0, 0);
}

ModelBody richBody() {
  ModelBody b;
  b.nodeIds = {1, 2, 3, 7};
  b.coords = {{{0.0, 0.0, 0.0}}, {{1.5, 0.0, 0.0}}, {{1.5, 2.0, 0.0}}, {{0.0, 2.0, -0.25}}};
  b.masses = {1.0, 2.0, 0.5, 4.0};
  b.interfaceNodes = {3, 0};
  b.eigenvalues = {12.5, 1e-11, 980.25};
  b.translation = {
      {{{0.1, 0.2, 0.3}}, {{-0.4, 0.5, 0.0}}, {{0.7, -0.8, 0.9}}, {{1.0, 0.0, -1.1}}},
      {{{0.0, 1.2, -0.3}}, {{0.6, 0.5, 0.4}}, {{-0.2, 0.1, 0.8}}, {{0.3, -0.9, 0.2}}},
      {{{0.5, 0.5, 0.5}}, {{-1.0, 0.25, 0.75}}, {{0.0, -0.6, 0.1}}, {{0.9, 0.4, -0.2}}}};
  b.rotation = b.translation;
  for (auto &mode : b.rotation)
    for (Vec3 &v : mode) v = {v[2] * 2.0, -v[0], v[1] + 0.5};
  b.invar1 = 7.5;
  b.invar2 = {0.5, -0.25, 1e-12};
  b.invar3 = {1, 2, 3, 4, 5, 6, 7, 8, 9};  // component-major: component r of mode i at r*3 + i
  b.invar4 = {-1, 0, 1e-11, 2, 3.5, -4, 5, 6, 7};
  b.invar6 = {1, 0.5, 0, 0.5, 2, 1e-12, 0, 1e-12, 3};
  b.invar7 = {10, 1, 2, 1, 20, 3, 2, 3, 30};
  for (int i = 0; i < 27; ++i) b.invar8.push_back(0.5 * i - 3.0);
  b.stiffness = {4, 0, 1e-11, 0, 9, -0.5, 1e-11, -0.5, 16};
  b.dampingEntries = 3;
  b.damping.assign(81, 0.0);
  b.damping[0] = 0.125;
  b.damping[6 * 9 + 6] = 0.2;
  b.damping[8 * 9 + 7] = -0.05;
  b.preload = std::vector<double>{3.0, 1e-12, -2.0};
  b.loads = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {-1, 0, 0, 0, 0, 1, 0.5, 1e-11, 2}};
  b.rotor = true;
  b.axisFirst = {0.0, 0.0, 1.0};
  b.axisSecond = {1.0, 2.0, 3.0};
  b.rotorMatrices[0] = std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9};
  b.rotorMatrices[2] = std::vector<double>{0, -1, 0, 1, 0, 0, 0, 0, 1e-12};
  b.freeEdges = {{10, 20, 30}, {30, 40}};
  b.faces = {3, 0, 1, 2, 0, 4, 0, 1, 2, 3};
  b.units = {1000.0, 0.001, 1.0, 1.0};
  return b;
}

}  // namespace convert_test
