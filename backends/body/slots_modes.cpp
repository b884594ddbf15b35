// Modes: numbering, mode nodes, shape/stress/strain values, eigenvalues,
// scaling, the mode-shape transformation and modal statistics.
#include <cmath>

#include "slot_support.h"

namespace qvb::body {
namespace {

int modeIndexOrReport(const Body &b, int number, const char *operation) {
  int index = b.modeIndex(number);
  if (index < 0) reportError("%s: the body has no mode %d", operation, number);
  return index;
}

// The six stored values of a mode (or of mode 0, the pre-stress or
// pre-strain) at a node, created when missing.
double *modeValuesForWriting(Body &b, int number, int kind, int nodeId, const char *operation) {
  if (!validKind(kind, operation)) return nullptr;
  if (number < 0 || (number == 0 && kind == kShape)) {
    reportError("%s: %d is not a mode number", operation, number);
    return nullptr;
  }
  ModeKindData &data = b.kinds[kind];
  std::vector<double> *values;
  if (number == 0) {
    values = &data.initial.mutableValues();
  } else {
    int index = b.ensureMode(number);
    values = &data.modes[index].mutableValues();
  }
  int position = data.nodePosition(nodeId);
  values->resize(static_cast<size_t>(data.nodes.size()) * 6, 0.0);
  return &(*values)[static_cast<size_t>(position) * 6];
}

// The stored values of a mode for reading; null (after a message for an
// unknown mode) when there are none.
const ModeValues *modeValuesForReading(const Body &b, int number, int kind, const char *operation) {
  if (!validKind(kind, operation)) return nullptr;
  const ModeKindData &data = b.kinds[kind];
  if (number == 0 && kind != kShape) return data.initial.empty() ? nullptr : &data.initial;
  int index = modeIndexOrReport(b, number, operation);
  if (index < 0 || data.modes[index].empty()) return nullptr;
  return &data.modes[index];
}

int setSix(QVB_Handle h, int number, int nodeId, int kind, const double *values, const char *operation) {
  return withBody(h, operation, 0, [&](Body &b) {
    if (!notNull(values, operation)) return 0;
    double *six = modeValuesForWriting(b, number, kind, nodeId, operation);
    if (six == nullptr) return 0;
    double f0 = toStored(b, modeDimension(kind, 0)), f1 = toStored(b, modeDimension(kind, 1));
    for (int c = 0; c < 6; ++c) six[c] = values[c] * (c < 3 ? f0 : f1);
    return 1;
  });
}

int SetModeVec(QVB_Handle h, int number, int nodeId, int kind, double *values) {
  return setSix(h, number, nodeId, kind, values, "QVB_SetModeVec");
}

int SetMode(QVB_Handle h, int number, int nodeId, int kind, double v1, double v2, double v3, double v4, double v5,
            double v6) {
  const double values[6] = {v1, v2, v3, v4, v5, v6};
  return setSix(h, number, nodeId, kind, values, "QVB_SetMode");
}

int SetModeEntry(QVB_Handle h, int number, int nodeId, int kind, int component, double value) {
  return withBody(h, "QVB_SetModeEntry", 0, [&](Body &b) {
    if (component < 0 || component > 5) {
      reportError("QVB_SetModeEntry: component %d is outside 0..5", component);
      return 0;
    }
    double *six = modeValuesForWriting(b, number, kind, nodeId, "QVB_SetModeEntry");
    if (six == nullptr) return 0;
    six[component] = value * toStored(b, modeDimension(kind, component < 3 ? 0 : 1));
    return 1;
  });
}

int ModeCount(QVB_Handle h) {
  return withBody(h, "QVB_ModeCount", 0, [&](const Body &b) { return b.modeCount(); });
}

int ModeExist(QVB_Handle h, int number) {
  return withBody(h, "QVB_ModeExist", 0, [&](const Body &b) { return b.modeIndex(number) >= 0 ? 1 : 0; });
}

int ModeIndex(QVB_Handle h, int number) {
  return withBody(h, "QVB_ModeIndex", -1, [&](const Body &b) { return b.modeIndex(number); });
}

int ModeNumber(QVB_Handle h, int index) {
  return withBody(h, "QVB_ModeNumber", -1, [&](const Body &b) {
    return validModeIndex(b, index, "QVB_ModeNumber") ? b.modeNumbers()[index] : -1;
  });
}

int ModeNodeCount(QVB_Handle h, int kind) {
  return withBody(h, "QVB_ModeNodeCount", 0,
                  [&](const Body &b) { return validKind(kind, "QVB_ModeNodeCount") ? b.kinds[kind].nodes.size() : 0; });
}

int ModeNodeIndex(QVB_Handle h, int kind, int nodeId) {
  return withBody(h, "QVB_ModeNodeIndex", -1, [&](const Body &b) {
    return validKind(kind, "QVB_ModeNodeIndex") ? b.kinds[kind].nodes.find(nodeId) : -1;
  });
}

int ModeNodeID(QVB_Handle h, int kind, int index) {
  return withBody(h, "QVB_ModeNodeID", -1, [&](const Body &b) {
    if (!validKind(kind, "QVB_ModeNodeID")) return -1;
    const IdIndex &nodes = b.kinds[kind].nodes;
    if (index < 0 || index >= nodes.size()) {
      reportError("QVB_ModeNodeID: mode node index %d is outside 0..%d", index, nodes.size() - 1);
      return -1;
    }
    return nodes.ids()[index];
  });
}

// Three values per mode node of one part, converted, into `out` (float or
// double). Zeros and 0 when the mode has no values of that kind.
template <typename T>
int copyPart(const Body &b, int number, int kind, int part, T *out, const char *operation) {
  if (!notNull(out, operation)) return 0;
  if (part != 0 && part != 1) {
    reportError("%s: part %d is not 0 or 1", operation, part);
    return 0;
  }
  if (!validKind(kind, operation)) return 0;
  const int nodes = b.kinds[kind].nodes.size();
  const ModeValues *values = modeValuesForReading(b, number, kind, operation);
  if (values == nullptr) {
    std::fill(out, out + 3 * static_cast<size_t>(nodes), T(0));
    return 0;
  }
  double f = toCurrent(b, modeDimension(kind, part));
  const double *in = values->data() + 3 * part;
  for (size_t p = 0; p < static_cast<size_t>(nodes); ++p)
    for (int c = 0; c < 3; ++c) out[3 * p + c] = static_cast<T>(in[6 * p + c] * f);
  return 1;
}

// All six values per mode node.
template <typename T>
int copyAll(const Body &b, int number, int kind, T *out, const char *operation) {
  if (!notNull(out, operation) || !validKind(kind, operation)) return 0;
  const int nodes = b.kinds[kind].nodes.size();
  const ModeValues *values = modeValuesForReading(b, number, kind, operation);
  if (values == nullptr) {
    std::fill(out, out + 6 * static_cast<size_t>(nodes), T(0));
    return 0;
  }
  double f0 = toCurrent(b, modeDimension(kind, 0)), f1 = toCurrent(b, modeDimension(kind, 1));
  const double *in = values->data();
  for (size_t k = 0; k < 6 * static_cast<size_t>(nodes); ++k) out[k] = static_cast<T>(in[k] * (k % 6 < 3 ? f0 : f1));
  return 1;
}

int Mode(QVB_Handle h, int number, int kind, double *values, int part) {
  return withBody(h, "QVB_Mode", 0, [&](const Body &b) { return copyPart(b, number, kind, part, values, "QVB_Mode"); });
}

int Double_Prec(QVB_Handle h, int kind) {
  return withBody(h, "QVB_Double_Prec", 1, [&](const Body &b) {
    return validKind(kind, "QVB_Double_Prec") ? b.kinds[kind].doublePrecision : 1;
  });
}

int Read_Mode_Single(QVB_Handle h, int number, int kind, float *values) {
  return withBody(h, "QVB_Read_Mode_Single", 0,
                  [&](const Body &b) { return copyAll(b, number, kind, values, "QVB_Read_Mode_Single"); });
}

int Read_Mode_Double(QVB_Handle h, int number, int kind, double *values) {
  return withBody(h, "QVB_Read_Mode_Double", 0,
                  [&](const Body &b) { return copyAll(b, number, kind, values, "QVB_Read_Mode_Double"); });
}

int modeByNode(QVB_Handle h, int number, int kind, int nodeId, double *values, int part, const char *operation) {
  return withBody(h, operation, 0, [&](const Body &b) {
    if (!notNull(values, operation)) return 0;
    std::fill(values, values + 3, 0.0);
    if (part != 0 && part != 1) {
      reportError("%s: part %d is not 0 or 1", operation, part);
      return 0;
    }
    const ModeValues *stored = modeValuesForReading(b, number, kind, operation);
    if (stored == nullptr) return 0;
    int position = b.kinds[kind].nodes.find(nodeId);
    if (position < 0) return 0;
    double f = toCurrent(b, modeDimension(kind, part));
    for (int c = 0; c < 3; ++c) values[c] = (*stored)[6 * static_cast<size_t>(position) + 3 * part + c] * f;
    return 1;
  });
}

int ModeByNode(QVB_Handle h, int number, int kind, int nodeId, double *values, int part) {
  return modeByNode(h, number, kind, nodeId, values, part, "QVB_ModeByNode");
}

int ModeByNodeWithoutCache(QVB_Handle h, int number, int kind, int nodeId, double *values, int part) {
  return modeByNode(h, number, kind, nodeId, values, part, "QVB_ModeByNodeWithoutCache");
}

// The "by reference" forms hand out a fresh array through a pointer to a
// pointer: three values per mode node of the part, double or float.
template <typename T>
int modeByRef(QVB_Handle h, int number, int kind, void *values, int part, const char *operation) {
  return withBody(h, operation, 0, [&](const Body &b) {
    if (!notNull(values, operation) || !validKind(kind, operation)) return 0;
    T **out = static_cast<T **>(values);
    *out = nullptr;
    size_t n = 3 * static_cast<size_t>(b.kinds[kind].nodes.size());
    T *array = static_cast<T *>(std::malloc(std::max<size_t>(n, 1) * sizeof(T)));
    if (array == nullptr) throw std::bad_alloc();
    if (!copyPart(b, number, kind, part, array, operation)) {
      std::free(array);
      return 0;
    }
    *out = array;
    return 1;
  });
}

int ModeByRef(QVB_Handle h, int number, int kind, void *values, int part) {
  return modeByRef<double>(h, number, kind, values, part, "QVB_ModeByRef");
}

int SModeByRef(QVB_Handle h, int number, int kind, void *values, int part) {
  return modeByRef<float>(h, number, kind, values, part, "QVB_SModeByRef");
}

int Eigenvalue(QVB_Handle h, int number, double *e1, double *e2, double *e3, double *e4, double *e5) {
  return withBody(h, "QVB_Eigenvalue", 0, [&](const Body &b) {
    int index = modeIndexOrReport(b, number, "QVB_Eigenvalue");
    if (index < 0) return 0;
    double lambda = b.eigenvalue(index) * toCurrent(b, dim::kEigenvalue);
    // A negative eigenvalue (a slightly unstable rigid-body mode) keeps its sign.
    double omega = lambda >= 0.0 ? std::sqrt(lambda) : -std::sqrt(-lambda);
    if (e1) *e1 = lambda;
    if (e2) *e2 = omega / (2.0 * M_PI);
    if (e3) *e3 = omega;
    if (e4) *e4 = b.generalizedMassDiagonal(index) * toCurrent(b, dim::kInertia);
    if (e5) *e5 = b.generalizedStiffnessDiagonal(index) * toCurrent(b, dim::kGenStiffness);
    return 1;
  });
}

int RebuildEigenvalues(QVB_Handle h) {
  return withBody(h, "QVB_RebuildEigenvalues", 0, [&](Body &b) {
    if (b.massNormalize && !b.genMass.empty())
      for (int i = 0; i < b.modeCount(); ++i) {
        double mass = b.generalizedMassDiagonal(i);
        if (mass > 0.0 && mass != 1.0) b.scaleMode(i, 1.0 / std::sqrt(mass));
      }
    b.rebuildEigenvalues();
    return 1;
  });
}

int ScaleModes(QVB_Handle h, int kind, double factor) {
  return withBody(h, "QVB_ScaleModes", 0, [&](Body &b) {
    if (!validKind(kind, "QVB_ScaleModes")) return 0;
    if (kind == kShape) {
      for (int i = 0; i < b.modeCount(); ++i) b.scaleMode(i, factor);
    } else {
      for (auto &mode : b.kinds[kind].modes)
        for (double &v : mode.mutableValues()) v *= factor;
    }
    return 1;
  });
}

int SetShouldMassNormalizeModes(QVB_Handle h, int flag) {
  return withBody(h, "QVB_SetShouldMassNormalizeModes", 0, [&](Body &b) {
    b.massNormalize = flag ? 1 : 0;
    return 1;
  });
}

int RigidBodyModeCount(QVB_Handle h) {
  return withBody(h, "QVB_RigidBodyModeCount", 0, [&](const Body &b) { return b.rigidBodyModeCount(); });
}

int Transformation(QVB_Handle h, double *matrix) {
  return withBody(h, "QVB_Transformation", 0, [&](const Body &b) {
    if (!notNull(matrix, "QVB_Transformation") || b.transformation.empty()) return 0;
    const int m = b.modeCount();
    for (int r = 0; r < m; ++r)
      for (int c = 0; c < m; ++c)
        matrix[static_cast<size_t>(r) * m + c] =
            r < b.transformation.size && c < b.transformation.size ? *b.transformation.cell(r, c) : 0.0;
    return 1;
  });
}

int SetTransformation(QVB_Handle h, double *matrix) {
  return withBody(h, "QVB_SetTransformation", 0, [&](Body &b) {
    if (!notNull(matrix, "QVB_SetTransformation")) return 0;
    const int m = b.modeCount();
    if (m == 0) {
      reportError("QVB_SetTransformation: the body has no modes");
      return 0;
    }
    b.transformation.size = m;
    b.transformation.values.assign(matrix, matrix + static_cast<size_t>(m) * m);
    return 1;
  });
}

int ModalStatisticsExist(QVB_Handle h) {
  return withBody(h, "QVB_ModalStatisticsExist", 0,
                  [&](const Body &b) { return b.exists(kModalStatistics) || b.exists(kModeShapes) ? 1 : 0; });
}

int statistic(QVB_Handle h, int number, double *value, int *nodeId, int which, const char *operation) {
  return withBody(h, operation, 0, [&](const Body &b) {
    int index = modeIndexOrReport(b, number, operation);
    if (index < 0) return 0;
    ModeStatistics s = b.statistics(index);
    const double values[4] = {s.displacement * toCurrent(b, dim::kLength), s.rotation,
                              s.stress * toCurrent(b, dim::kStress), s.strain};
    const int nodes[4] = {s.displacementNode, s.rotationNode, s.stressNode, s.strainNode};
    if (value) *value = values[which];
    if (nodeId) *nodeId = nodes[which];
    return 1;
  });
}

int GetMaxModeDisplacement(QVB_Handle h, int number, double *value, int *node) {
  return statistic(h, number, value, node, 0, "QVB_GetMaxModeDisplacement");
}
int GetMaxModeRotation(QVB_Handle h, int number, double *value, int *node) {
  return statistic(h, number, value, node, 1, "QVB_GetMaxModeRotation");
}
int GetMaxVonMisesStress(QVB_Handle h, int number, double *value, int *node) {
  return statistic(h, number, value, node, 2, "QVB_GetMaxVonMisesStress");
}
int GetMaxVonMisesStrain(QVB_Handle h, int number, double *value, int *node) {
  return statistic(h, number, value, node, 3, "QVB_GetMaxVonMisesStrain");
}

}  // namespace

void fillModeSlots(s_FLEX_INTERFACE &t) {
  t.QVB_SetModeVec = SetModeVec;
  t.QVB_SetMode = SetMode;
  t.QVB_SetModeEntry = SetModeEntry;
  t.QVB_ModeCount = ModeCount;
  t.QVB_ModeExist = ModeExist;
  t.QVB_ModeIndex = ModeIndex;
  t.QVB_ModeNumber = ModeNumber;
  t.QVB_ModeNodeCount = ModeNodeCount;
  t.QVB_ModeNodeIndex = ModeNodeIndex;
  t.QVB_ModeNodeID = ModeNodeID;
  t.QVB_Mode = Mode;
  t.QVB_Double_Prec = Double_Prec;
  t.QVB_Read_Mode_Single = Read_Mode_Single;
  t.QVB_Read_Mode_Double = Read_Mode_Double;
  t.QVB_ModeByNode = ModeByNode;
  t.QVB_ModeByNodeWithoutCache = ModeByNodeWithoutCache;
  t.QVB_ModeByRef = ModeByRef;
  t.QVB_SModeByRef = SModeByRef;
  t.QVB_Eigenvalue = Eigenvalue;
  t.QVB_RebuildEigenvalues = RebuildEigenvalues;
  t.QVB_ScaleModes = ScaleModes;
  t.QVB_SetShouldMassNormalizeModes = SetShouldMassNormalizeModes;
  t.QVB_RigidBodyModeCount = RigidBodyModeCount;
  t.QVB_Transformation = Transformation;
  t.QVB_SetTransformation = SetTransformation;
  t.QVB_ModalStatisticsExist = ModalStatisticsExist;
  t.QVB_GetMaxModeDisplacement = GetMaxModeDisplacement;
  t.QVB_GetMaxModeRotation = GetMaxModeRotation;
  t.QVB_GetMaxVonMisesStress = GetMaxVonMisesStress;
  t.QVB_GetMaxVonMisesStrain = GetMaxVonMisesStrain;
}

}  // namespace qvb::body
