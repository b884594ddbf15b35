// The optimized body (-O): interface-node edits, generalized stiffness and
// mass rescaling with everything that depends on the mass scale, optional
// advanced coarsening, and the write of the edited body. Ends the process.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "convert/body_blocks.h"
#include "convert/side_outputs.h"
#include "platform/os.h"
#include "qvb.h"

namespace qvb::convert {

namespace {

// The result kind of modal stresses.
constexpr int kModalStress = 1;

bool editInterfaceNodes(QVB_Handle body, const std::vector<InterfaceNodeEdit> &edits) {
  std::printf("Editing Interface Node Coordinates:\n%10s%16s%16s%16s\n", "Node ID", "X", "Y", "Z");
  int count = 0;
  int *interface = QVB_InterfaceNodes(body, &count);
  bool ok = true;
  for (const InterfaceNodeEdit &edit : edits) {
    bool found = false;
    for (int i = 0; i < count && interface != nullptr && !found; ++i)
      found = QVB_NodeID(body, interface[i]) == edit.nodeId;
    if (!found) {
      printError("Interface node %d doesn't exist.", edit.nodeId);
      ok = false;
      break;
    }
    QVB_SetNodeCoordinates(body, edit.nodeId, edit.x, edit.y, edit.z);
    std::printf("%10d%16.6E%16.6E%16.6E\n", edit.nodeId, edit.x, edit.y, edit.z);
  }
  if (interface != nullptr) QVB_FreeMemory(interface);
  if (ok) std::printf("\n");
  return ok;
}

// Rewrites every stored entry of a sparse generalized matrix times `scale`.
void scaleSparse(QVB_Handle body, int (*countOf)(QVB_Handle),
                 int (*read)(QVB_Handle, double *, int *, int *),
                 int (*write)(QVB_Handle, int, int, double), double scale) {
  const int count = countOf(body);
  if (count <= 0) {
    read(body, nullptr, nullptr, nullptr);
    return;
  }
  std::vector<double> values(count);
  std::vector<int> rows(count), columns(count);
  read(body, values.data(), rows.data(), columns.data());
  for (int e = 0; e < count; ++e)
    write(body, QVB_ModeNumber(body, rows[e]), QVB_ModeNumber(body, columns[e]), values[e] * scale);
}

// Invariants 3 and 4 (and 8) scale with the square root of the mass scale:
// they are linear in the mass-normalised mode shapes, which scale so.
void scaleModalVectors(QVB_Handle body, double *(*read)(QVB_Handle), int (*write)(QVB_Handle, int, double *),
                       int modeCount, double root) {
  double *values = read(body);
  if (values == nullptr) return;
  for (int i = 0; i < modeCount; ++i) {
    double vector[3] = {values[i] * root, values[modeCount + i] * root, values[2 * modeCount + i] * root};
    write(body, QVB_ModeNumber(body, i), vector);
  }
  QVB_FreeMemory(values);
}

void scaleMassDependents(QVB_Handle body, double mu) {
  const int modeCount = QVB_ModeCount(body);
  const int nodeCount = QVB_NodeCount(body);
  const double root = std::sqrt(mu);
  if (QVB_Exists(body, block::kInvariant1)) QVB_SetInvar1(body, QVB_Invar1(body) * mu);
  if (QVB_Exists(body, block::kInvariant2)) {
    if (double *v = QVB_Invar2(body)) {
      double scaled[3] = {v[0] * mu, v[1] * mu, v[2] * mu};
      QVB_SetInvar2(body, scaled);
      QVB_FreeMemory(v);
    }
  }
  if (QVB_Exists(body, block::kInvariant3)) scaleModalVectors(body, &QVB_Invar3, &QVB_SetInvar3, modeCount, root);
  if (QVB_Exists(body, block::kInvariant4)) scaleModalVectors(body, &QVB_Invar4, &QVB_SetInvar4, modeCount, root);
  if (QVB_Exists(body, block::kInvariant7)) {
    if (double *j = QVB_Invar7(body)) {
      // Stored as the six distinct entries xx, yy, zz, xy, xz, yz.
      double six[6] = {j[0] * mu, j[4] * mu, j[8] * mu, j[1] * mu, j[2] * mu, j[5] * mu};
      QVB_SetInvar7(body, six);
      QVB_FreeMemory(j);
    }
  }
  if (QVB_Exists(body, block::kInvariant8)) {
    for (int i = 0; i < modeCount; ++i) {
      double *v = QVB_Invar8(body, i);
      if (v == nullptr) continue;
      double scaled[9];
      for (int e = 0; e < 9; ++e) scaled[e] = v[e] * root;
      QVB_SetInvar8(body, QVB_ModeNumber(body, i), scaled);
      QVB_FreeMemory(v);
    }
  }
  if (QVB_Exists(body, block::kNodalMasses)) {
    for (int i = 0; i < nodeCount; ++i) {
      const double mass = QVB_NodalMass(body, i);
      if (mass != 0.0) QVB_SetNodalMass(body, QVB_NodeID(body, i), mass * mu);
    }
  }
  if (QVB_Exists(body, block::kNodalInertias)) {
    for (int i = 0; i < nodeCount; ++i) {
      double j[9] = {};
      if (QVB_NodalInertia(body, i, j) == 0) continue;
      QVB_SetNodalInertia(body, QVB_NodeID(body, i), j[0] * mu, j[4] * mu, j[8] * mu, j[1] * mu, j[2] * mu,
                          j[5] * mu);
    }
  }
}

}  // namespace

bool writeOptimizedBody(ConversionContext &context, const CommandLine &line) {
  QVB_Handle body = context.body;
  if (!line.interfaceEdits.empty() && !editInterfaceNodes(body, line.interfaceEdits)) return false;

  const double kappa = context.stiffnessScale, mu = context.massScale;
  if (kappa != 1.0 || mu != 1.0) {
    scaleSparse(body, &QVB_NumberOfGenStiff, &QVB_GenStiffSparse, &QVB_SetGeneralizedStiffness, kappa);
    scaleSparse(body, &QVB_NumberOfGenMass, &QVB_GenMassSparse, &QVB_SetGeneralizedMass, mu);
    QVB_RebuildEigenvalues(body);
    if (mu != 1.0) scaleMassDependents(body, mu);
    if (kappa != 1.0 && QVB_Exists(body, block::kModalStress)) QVB_ScaleModes(body, kModalStress, kappa);
  }

  const char *file = line.optimizedFile.c_str();
  const char *options = platform::getEnv("TRX_QVBWRITE_OPTIONS");
  if (options != nullptr && std::strstr(options, "adv_coarsen(") != nullptr) {
    // The coarsening rewrites the variable; hand it a copy of the value.
    const std::string value = options;
    if (!QVB_AdvancedCoarsening(body, file, value.c_str())) {
      std::printf("\n**ERROR^G** Advanced coarsening was failed. Please check log file.\n\n");
      terminateAndExit(1);
    }
  }
  if (QVB_write_QVB(body, file) == 0) {
    std::printf("\n**WARNING\a** Failed to write an optimized FLEX file %s\n\n", file);
    terminateAndExit(1);
  }
  terminateAndExit(0);
}

}  // namespace qvb::convert
