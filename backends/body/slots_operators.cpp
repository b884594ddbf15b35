// Monitor points, matrix operators and rotor dynamics. Points, operators and
// sub-operators are addressed by index from 0, setters included. The four
// setters of points and operators answer 0 for success and -1 for failure:
// their only callers, the Fortran setters, hand the result on as a Fortran
// status, where 0 means success.
#include "slot_support.h"

namespace qvb::body {
namespace {

constexpr int kDone = 0, kFailed = -1;

MonitorPoint *point(Body &b, int index, const char *operation) {
  if (index >= 0 && index < static_cast<int>(b.monitorPoints.size())) return &b.monitorPoints[index];
  reportError("%s: monitor point %d is outside 0..%d", operation, index, static_cast<int>(b.monitorPoints.size()) - 1);
  return nullptr;
}

bool validOperatorKind(int kind, const char *operation) {
  if (kind >= 1 && kind <= 4) return true;
  reportError("%s: operator kind %d is not 1 (displacement), 2 (velocity), 3 (acceleration) or 4 (load)", operation,
              kind);
  return false;
}

int SetMonitorPointInfo(QVB_Handle h, int type, int resultType, int component, int rows, int *nodeIds,
                        const char *name, const char *label) {
  return withBody(h, "QVB_SetMonitorPointInfo", kFailed, [&](Body &b) {
    if (rows < 0 || (rows > 0 && !notNull(nodeIds, "QVB_SetMonitorPointInfo"))) return kFailed;
    MonitorPoint p;
    p.type = type;
    p.resultType = resultType;
    p.component = component;
    p.nodeIds.assign(nodeIds, nodeIds + rows);
    p.name = std::string(name ? name : "").substr(0, 15);
    p.label = std::string(label ? label : "").substr(0, 63);
    b.monitorPoints.push_back(std::move(p));
    return kDone;
  });
}

// Operators map the modal coordinates to the point's result: rows x mode
// count values, row-major, stored as given (no units).
int SetMonitorPointOperator(QVB_Handle h, int index, int kind, double *values) {
  return withBody(h, "QVB_SetMonitorPointOperator", kFailed, [&](Body &b) {
    MonitorPoint *p = point(b, index, "QVB_SetMonitorPointOperator");
    if (!p || !validOperatorKind(kind, "QVB_SetMonitorPointOperator")) return kFailed;
    size_t n = static_cast<size_t>(p->rows()) * b.modeCount();
    if (n > 0 && !notNull(values, "QVB_SetMonitorPointOperator")) return kFailed;
    p->operators[kind].assign(values, values + n);
    p->columns[kind] = b.modeCount();
    return kDone;
  });
}

int GetMonitorPointCount(QVB_Handle h) {
  return withBody(h, "QVB_GetMonitorPointCount", 0,
                  [&](const Body &b) { return static_cast<int>(b.monitorPoints.size()); });
}

int pointField(QVB_Handle h, int index, int MonitorPoint::*field, const char *operation) {
  return withBody(h, operation, -1, [&](Body &b) {
    MonitorPoint *p = point(b, index, operation);
    return p ? p->*field : -1;
  });
}
int GetMonitorPointType(QVB_Handle h, int i) { return pointField(h, i, &MonitorPoint::type, "QVB_GetMonitorPointType"); }
int GetMonitorPointResultType(QVB_Handle h, int i) {
  return pointField(h, i, &MonitorPoint::resultType, "QVB_GetMonitorPointResultType");
}
int GetMonitorPointComponent(QVB_Handle h, int i) {
  return pointField(h, i, &MonitorPoint::component, "QVB_GetMonitorPointComponent");
}

int GetMonitorPointNameLabel(QVB_Handle h, int index, char *name, char *label) {
  return withBody(h, "QVB_GetMonitorPointNameLabel", 0, [&](Body &b) {
    MonitorPoint *p = point(b, index, "QVB_GetMonitorPointNameLabel");
    if (!p) return 0;
    copyCut(name, p->name, 16);
    copyCut(label, p->label, 64);
    return 1;
  });
}

int GetMonitorPointOperatorSize(QVB_Handle h, int index, int *rows, int *columns) {
  return withBody(h, "QVB_GetMonitorPointOperatorSize", 0, [&](Body &b) {
    MonitorPoint *p = point(b, index, "QVB_GetMonitorPointOperatorSize");
    if (!p) return 0;
    if (rows) *rows = p->rows();
    if (columns) *columns = b.modeCount();
    return 1;
  });
}

int GetMonitorPointNumLoadOperator(QVB_Handle h, int index) {
  return withBody(h, "QVB_GetMonitorPointNumLoadOperator", 0, [&](Body &b) {
    MonitorPoint *p = point(b, index, "QVB_GetMonitorPointNumLoadOperator");
    return p && !p->operators[4].empty() ? 1 : 0;
  });
}

int MonitorPointHasOperator(QVB_Handle h, int index, int kind) {
  return withBody(h, "QVB_MonitorPointHasOperator", 0, [&](Body &b) {
    MonitorPoint *p = point(b, index, "QVB_MonitorPointHasOperator");
    if (!p || !validOperatorKind(kind, "QVB_MonitorPointHasOperator")) return 0;
    return p->operators[kind].empty() ? 0 : 1;
  });
}

// rows x current mode count; columns for modes added after the operator was
// set are zero.
int GetMonitorPointOperator(QVB_Handle h, int index, int kind, double *values) {
  return withBody(h, "QVB_GetMonitorPointOperator", 0, [&](Body &b) {
    MonitorPoint *p = point(b, index, "QVB_GetMonitorPointOperator");
    if (!p || !validOperatorKind(kind, "QVB_GetMonitorPointOperator") || !notNull(values, "QVB_GetMonitorPointOperator"))
      return 0;
    if (p->operators[kind].empty()) return 0;
    const int modes = b.modeCount(), stored = p->columns[kind];
    for (int r = 0; r < p->rows(); ++r)
      for (int c = 0; c < modes; ++c)
        values[static_cast<size_t>(r) * modes + c] =
            c < stored ? p->operators[kind][static_cast<size_t>(r) * stored + c] : 0.0;
    return 1;
  });
}

// ---- matrix operators -------------------------------------------------------

MatrixOperator *matrixOperator(Body &b, int index, const char *operation) {
  if (index >= 0 && index < static_cast<int>(b.matrixOperators.size())) return &b.matrixOperators[index];
  reportError("%s: matrix operator %d is outside 0..%d", operation, index,
              static_cast<int>(b.matrixOperators.size()) - 1);
  return nullptr;
}

SubOperator *subOperator(Body &b, int index, int sub, const char *operation) {
  MatrixOperator *op = matrixOperator(b, index, operation);
  if (!op) return nullptr;
  if (sub >= 0 && sub < static_cast<int>(op->subs.size())) return &op->subs[sub];
  reportError("%s: sub-operator %d of matrix operator %d is outside 0..%d", operation, sub, index,
              static_cast<int>(op->subs.size()) - 1);
  return nullptr;
}

int SetMatrixOperatorInfo(QVB_Handle h, const char *name, char **labels, int count) {
  return withBody(h, "QVB_SetMatrixOperatorInfo", kFailed, [&](Body &b) {
    if (count < 0) {
      reportError("QVB_SetMatrixOperatorInfo: row count %d is negative", count);
      return kFailed;
    }
    MatrixOperator op;
    op.name = std::string(name ? name : "").substr(0, 79);
    for (int r = 0; r < count; ++r)
      op.labels.push_back(labels && labels[r] ? std::string(labels[r]).substr(0, 79) : std::string());
    b.matrixOperators.push_back(std::move(op));
    return kDone;
  });
}

int SetMatrixOperatorData(QVB_Handle h, int index, const char *tag, int columns, double *values) {
  return withBody(h, "QVB_SetMatrixOperatorData", kFailed, [&](Body &b) {
    MatrixOperator *op = matrixOperator(b, index, "QVB_SetMatrixOperatorData");
    if (!op) return kFailed;
    if (columns < 0) {
      reportError("QVB_SetMatrixOperatorData: column count %d is negative", columns);
      return kFailed;
    }
    size_t n = op->labels.size() * static_cast<size_t>(columns);
    if (n > 0 && !notNull(values, "QVB_SetMatrixOperatorData")) return kFailed;
    SubOperator sub;
    sub.tag = std::string(tag ? tag : "").substr(0, 7);
    sub.columns = columns;
    sub.values.assign(values, values + n);
    op->subs.push_back(std::move(sub));
    return kDone;
  });
}

int GetMatrixOperatorCount(QVB_Handle h) {
  return withBody(h, "QVB_GetMatrixOperatorCount", 0,
                  [&](const Body &b) { return static_cast<int>(b.matrixOperators.size()); });
}

int GetMatrixOperatorNumRows(QVB_Handle h, int index) {
  return withBody(h, "QVB_GetMatrixOperatorNumRows", 0, [&](Body &b) {
    MatrixOperator *op = matrixOperator(b, index, "QVB_GetMatrixOperatorNumRows");
    return op ? static_cast<int>(op->labels.size()) : 0;
  });
}

int GetMatrixOperatorName(QVB_Handle h, int index, char *name) {
  return withBody(h, "QVB_GetMatrixOperatorName", 0, [&](Body &b) {
    MatrixOperator *op = matrixOperator(b, index, "QVB_GetMatrixOperatorName");
    if (!op) return 0;
    copyCut(name, op->name, 80);
    return 1;
  });
}

// One 80-byte field per row.
int GetMatrixOperatorLabels(QVB_Handle h, int index, char *labels) {
  return withBody(h, "QVB_GetMatrixOperatorLabels", 0, [&](Body &b) {
    MatrixOperator *op = matrixOperator(b, index, "QVB_GetMatrixOperatorLabels");
    if (!op || (!op->labels.empty() && !notNull(labels, "QVB_GetMatrixOperatorLabels"))) return 0;
    for (size_t r = 0; r < op->labels.size(); ++r) copyCut(labels + 80 * r, op->labels[r], 80);
    return 1;
  });
}

int GetMatrixOperatorNumSubOperator(QVB_Handle h, int index) {
  return withBody(h, "QVB_GetMatrixOperatorNumSubOperator", 0, [&](Body &b) {
    MatrixOperator *op = matrixOperator(b, index, "QVB_GetMatrixOperatorNumSubOperator");
    return op ? static_cast<int>(op->subs.size()) : 0;
  });
}

int GetMatrixOperatorSubNumCols(QVB_Handle h, int index, int sub) {
  return withBody(h, "QVB_GetMatrixOperatorSubNumCols", 0, [&](Body &b) {
    SubOperator *s = subOperator(b, index, sub, "QVB_GetMatrixOperatorSubNumCols");
    return s ? s->columns : 0;
  });
}

int GetMatrixOperatorSubTag(QVB_Handle h, int index, int sub, char *tag) {
  return withBody(h, "QVB_GetMatrixOperatorSubTag", 0, [&](Body &b) {
    SubOperator *s = subOperator(b, index, sub, "QVB_GetMatrixOperatorSubTag");
    if (!s) return 0;
    copyCut(tag, s->tag, 8);
    return 1;
  });
}

int GetMatrixOperatorSubData(QVB_Handle h, int index, int sub, double *values) {
  return withBody(h, "QVB_GetMatrixOperatorSubData", 0, [&](Body &b) {
    SubOperator *s = subOperator(b, index, sub, "QVB_GetMatrixOperatorSubData");
    if (!s || (!s->values.empty() && !notNull(values, "QVB_GetMatrixOperatorSubData"))) return 0;
    std::copy(s->values.begin(), s->values.end(), values);
    return 1;
  });
}

// ---- rotor dynamics -----------------------------------------------------------

// Gyroscopic matrices act on modal velocities (like damping), circulation and
// differential stiffness on modal displacements (like stiffness).
Dimension rotorDimension(int kind) { return kind == 0 ? dim::kGenDamping : dim::kGenStiffness; }

bool validRotorKind(int kind, const char *operation) {
  if (kind >= 0 && kind <= 2) return true;
  reportError("%s: matrix kind %d is not 0 (gyroscopic), 1 (circulation) or 2 (differential stiffness)", operation,
              kind);
  return false;
}

int SetRotorDynamicsAxis(QVB_Handle h, double *centre, double *direction) {
  return withBody(h, "QVB_SetRotorDynamicsAxis", 0, [&](Body &b) {
    if (!notNull(centre, "QVB_SetRotorDynamicsAxis") || !notNull(direction, "QVB_SetRotorDynamicsAxis")) return 0;
    for (int k = 0; k < 3; ++k) {
      b.rotor.centre[k] = centre[k] * toStored(b, dim::kLength);
      b.rotor.direction[k] = direction[k];
    }
    b.rotor.hasAxis = true;
    return 1;
  });
}

int SetRotorDynamicsMatrix(QVB_Handle h, int kind, int row, int column, double value) {
  return withBody(h, "QVB_SetRotorDynamicsMatrix", 0, [&](Body &b) {
    if (!validRotorKind(kind, "QVB_SetRotorDynamicsMatrix") || !validModeIndex(b, row, "QVB_SetRotorDynamicsMatrix") ||
        !validModeIndex(b, column, "QVB_SetRotorDynamicsMatrix"))
      return 0;
    ModeMatrix &m = b.rotor.matrices[kind];
    m.resize(b.modeCount());
    *m.cell(row, column) = value * toStored(b, rotorDimension(kind));
    return 1;
  });
}

int RotorDynamicsAxis(QVB_Handle h, double *centre, double *direction) {
  return withBody(h, "QVB_RotorDynamicsAxis", 0, [&](const Body &b) {
    if (!b.rotor.hasAxis) return 0;
    for (int k = 0; k < 3; ++k) {
      if (centre) centre[k] = b.rotor.centre[k] * toCurrent(b, dim::kLength);
      if (direction) direction[k] = b.rotor.direction[k];
    }
    return 1;
  });
}

double *RotorDynamicsMatrix(QVB_Handle h, int kind) {
  return withBody(h, "QVB_RotorDynamicsMatrix", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (!validRotorKind(kind, "QVB_RotorDynamicsMatrix")) return nullptr;
    const ModeMatrix &m = b.rotor.matrices[kind];
    if (m.empty()) return nullptr;
    return handOut(m.values, toCurrent(b, rotorDimension(kind)));
  });
}

}  // namespace

void fillOperatorSlots(s_FLEX_INTERFACE &t) {
  t.QVB_SetMonitorPointInfo = SetMonitorPointInfo;
  t.QVB_SetMonitorPointOperator = SetMonitorPointOperator;
  t.QVB_GetMonitorPointCount = GetMonitorPointCount;
  t.QVB_GetMonitorPointType = GetMonitorPointType;
  t.QVB_GetMonitorPointResultType = GetMonitorPointResultType;
  t.QVB_GetMonitorPointComponent = GetMonitorPointComponent;
  t.QVB_GetMonitorPointNameLabel = GetMonitorPointNameLabel;
  t.QVB_GetMonitorPointOperatorSize = GetMonitorPointOperatorSize;
  t.QVB_GetMonitorPointNumLoadOperator = GetMonitorPointNumLoadOperator;
  t.QVB_GetMonitorPointOperator = GetMonitorPointOperator;
  t.QVB_MonitorPointHasOperator = MonitorPointHasOperator;
  t.QVB_SetMatrixOperatorInfo = SetMatrixOperatorInfo;
  t.QVB_SetMatrixOperatorData = SetMatrixOperatorData;
  t.QVB_GetMatrixOperatorCount = GetMatrixOperatorCount;
  t.QVB_GetMatrixOperatorNumRows = GetMatrixOperatorNumRows;
  t.QVB_GetMatrixOperatorName = GetMatrixOperatorName;
  t.QVB_GetMatrixOperatorLabels = GetMatrixOperatorLabels;
  t.QVB_GetMatrixOperatorNumSubOperator = GetMatrixOperatorNumSubOperator;
  t.QVB_GetMatrixOperatorSubNumCols = GetMatrixOperatorSubNumCols;
  t.QVB_GetMatrixOperatorSubTag = GetMatrixOperatorSubTag;
  t.QVB_GetMatrixOperatorSubData = GetMatrixOperatorSubData;
  t.QVB_SetRotorDynamicsAxis = SetRotorDynamicsAxis;
  t.QVB_SetRotorDynamicsMatrix = SetRotorDynamicsMatrix;
  t.QVB_RotorDynamicsAxis = RotorDynamicsAxis;
  t.QVB_RotorDynamicsMatrix = RotorDynamicsMatrix;
}

}  // namespace qvb::body
