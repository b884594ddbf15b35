// Modal preload, modal load cases and nodal modal loads. Load cases count
// from 0; modal values are generalized forces (force x length) by mode index.
#include "slot_support.h"

namespace qvb::body {
namespace {

bool validCase(int loadCase, int count, const char *operation) {
  if (loadCase >= 0 && loadCase < count) return true;
  reportError("%s: load case %d is outside 0..%d", operation, loadCase, count - 1);
  return false;
}

ModalLoadCase *caseForWriting(Body &b, int loadCase, const char *operation) {
  if (loadCase < 0) {
    reportError("%s: load case %d is negative", operation, loadCase);
    return nullptr;
  }
  if (loadCase >= static_cast<int>(b.modalLoads.size())) {
    b.modalLoads.resize(loadCase + 1);
    for (auto &c : b.modalLoads) c.values.resize(b.modeCount(), 0.0);
  }
  return &b.modalLoads[loadCase];
}

int modeOf(Body &b, int number, const char *operation) {
  if (number > 0) return b.ensureMode(number);
  reportError("%s: %d is not a mode number", operation, number);
  return -1;
}

int SetModalPreload(QVB_Handle h, int number, double value) {
  return withBody(h, "QVB_SetModalPreload", 0, [&](Body &b) {
    int index = modeOf(b, number, "QVB_SetModalPreload");
    if (index < 0) return 0;
    b.hasPreload = true;
    b.preload.resize(b.modeCount(), 0.0);
    b.preload[index] = value * toStored(b, dim::kMoment);
    return 1;
  });
}

double *GetModalPreload(QVB_Handle h, int *count) {
  if (count) *count = 0;
  return withBody(h, "QVB_GetModalPreload", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (!b.hasPreload || b.preload.empty()) return nullptr;
    if (count) *count = static_cast<int>(b.preload.size());
    return handOut(b.preload, toCurrent(b, dim::kMoment));
  });
}

int ModalPreloadExist(QVB_Handle h) {
  return withBody(h, "QVB_ModalPreloadExist", 0, [&](const Body &b) { return b.hasPreload ? 1 : 0; });
}

int ModalPreloadProcessed(QVB_Handle h) {
  return withBody(h, "QVB_ModalPreloadProcessed", 0, [&](const Body &b) { return b.preloadProcessed; });
}

int SetModalPreloadProcessed(QVB_Handle h, int processed) {
  return withBody(h, "QVB_SetModalPreloadProcessed", 0, [&](Body &b) {
    b.preloadProcessed = processed ? 1 : 0;
    return 1;
  });
}

int SetModalLoadLabel(QVB_Handle h, int loadCase, const char *label) {
  return withBody(h, "QVB_SetModalLoadLabel", 0, [&](Body &b) {
    ModalLoadCase *c = caseForWriting(b, loadCase, "QVB_SetModalLoadLabel");
    if (c == nullptr) return 0;
    c->label = label ? std::string(label).substr(0, 255) : "";
    return 1;
  });
}

int GetModalLoadCaseLabel(QVB_Handle h, int loadCase, char *label) {
  return withBody(h, "QVB_GetModalLoadCaseLabel", 0, [&](const Body &b) {
    if (!validCase(loadCase, static_cast<int>(b.modalLoads.size()), "QVB_GetModalLoadCaseLabel")) return 0;
    copyCut(label, b.modalLoads[loadCase].label, 256);
    return 1;
  });
}

int SetModalLoad(QVB_Handle h, int loadCase, int number, double value) {
  return withBody(h, "QVB_SetModalLoad", 0, [&](Body &b) {
    int index = modeOf(b, number, "QVB_SetModalLoad");
    ModalLoadCase *c = index < 0 ? nullptr : caseForWriting(b, loadCase, "QVB_SetModalLoad");
    if (c == nullptr) return 0;
    c->values[index] = value * toStored(b, dim::kMoment);
    return 1;
  });
}

double *GetModalLoad(QVB_Handle h, int loadCase, int *count) {
  if (count) *count = 0;
  return withBody(h, "QVB_GetModalLoad", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    if (!validCase(loadCase, static_cast<int>(b.modalLoads.size()), "QVB_GetModalLoad")) return nullptr;
    const ModalLoadCase &c = b.modalLoads[loadCase];
    if (count) *count = static_cast<int>(c.values.size());
    return handOut(c.values, toCurrent(b, dim::kMoment));
  });
}

int GetModalLoadCaseCount(QVB_Handle h) {
  return withBody(h, "QVB_GetModalLoadCaseCount", 0,
                  [&](const Body &b) { return static_cast<int>(b.modalLoads.size()); });
}

int ModalLoadProcessed(QVB_Handle h, int loadCase) {
  return withBody(h, "QVB_ModalLoadProcessed", 0, [&](const Body &b) {
    if (!validCase(loadCase, static_cast<int>(b.modalLoads.size()), "QVB_ModalLoadProcessed")) return 0;
    return b.modalLoads[loadCase].processed;
  });
}

int SetModalLoadProcessed(QVB_Handle h, int loadCase, int processed) {
  return withBody(h, "QVB_SetModalLoadProcessed", 0, [&](Body &b) {
    ModalLoadCase *c = caseForWriting(b, loadCase, "QVB_SetModalLoadProcessed");
    if (c == nullptr) return 0;
    c->processed = processed ? 1 : 0;
    return 1;
  });
}

// Coordinates 1..3 are force components, 4..6 moment components.
Dimension nodalLoadDimension(int coordinate) { return coordinate <= 3 ? dim::kForce : dim::kMoment; }

int SetModalLoadNodal(QVB_Handle h, int loadCase, int nodeId, int coordinate, double value) {
  return withBody(h, "QVB_SetModalLoadNodal", 0, [&](Body &b) {
    if (loadCase < 0 || coordinate < 1 || coordinate > 6) {
      reportError("QVB_SetModalLoadNodal: load case %d, coordinate %d (expected a case from 0 and a coordinate 1..6)",
                  loadCase, coordinate);
      return 0;
    }
    if (loadCase >= static_cast<int>(b.nodalLoads.size())) b.nodalLoads.resize(loadCase + 1);
    NodalLoadCase &c = b.nodalLoads[loadCase];
    c.nodeIds.push_back(nodeId);
    c.coordinates.push_back(coordinate);
    c.values.push_back(value * toStored(b, nodalLoadDimension(coordinate)));
    return 1;
  });
}

int GetModalLoadNodalCaseCount(QVB_Handle h) {
  return withBody(h, "QVB_GetModalLoadNodalCaseCount", 0,
                  [&](const Body &b) { return static_cast<int>(b.nodalLoads.size()); });
}

const NodalLoadCase *nodalCase(const Body &b, int loadCase, const char *operation) {
  return validCase(loadCase, static_cast<int>(b.nodalLoads.size()), operation) ? &b.nodalLoads[loadCase] : nullptr;
}

int GetModalLoadNodalCount(QVB_Handle h, int loadCase) {
  return withBody(h, "QVB_GetModalLoadNodalCount", 0, [&](const Body &b) {
    const NodalLoadCase *c = nodalCase(b, loadCase, "QVB_GetModalLoadNodalCount");
    return c ? static_cast<int>(c->nodeIds.size()) : 0;
  });
}

// Node indices of the loaded nodes (-1 for a node the body does not list).
int *GetModalLoadNodalNode(QVB_Handle h, int loadCase) {
  return withBody(h, "QVB_GetModalLoadNodalNode", static_cast<int *>(nullptr), [&](const Body &b) -> int * {
    const NodalLoadCase *c = nodalCase(b, loadCase, "QVB_GetModalLoadNodalNode");
    if (!c) return nullptr;
    std::vector<int> indices;
    for (int id : c->nodeIds) indices.push_back(b.nodeIndex(id));
    return handOut(indices);
  });
}

int *GetModalLoadNodalCoord(QVB_Handle h, int loadCase) {
  return withBody(h, "QVB_GetModalLoadNodalCoord", static_cast<int *>(nullptr), [&](const Body &b) -> int * {
    const NodalLoadCase *c = nodalCase(b, loadCase, "QVB_GetModalLoadNodalCoord");
    return c ? handOut(c->coordinates) : nullptr;
  });
}

double *GetModalLoadNodalLoad(QVB_Handle h, int loadCase) {
  return withBody(h, "QVB_GetModalLoadNodalLoad", static_cast<double *>(nullptr), [&](const Body &b) -> double * {
    const NodalLoadCase *c = nodalCase(b, loadCase, "QVB_GetModalLoadNodalLoad");
    if (!c) return nullptr;
    std::vector<double> values(c->values.size());
    for (size_t k = 0; k < values.size(); ++k)
      values[k] = c->values[k] * toCurrent(b, nodalLoadDimension(c->coordinates[k]));
    return handOut(values);
  });
}

}  // namespace

void fillLoadSlots(s_FLEX_INTERFACE &t) {
  t.QVB_SetModalPreload = SetModalPreload;
  t.QVB_GetModalPreload = GetModalPreload;
  t.QVB_ModalPreloadExist = ModalPreloadExist;
  t.QVB_ModalPreloadProcessed = ModalPreloadProcessed;
  t.QVB_SetModalPreloadProcessed = SetModalPreloadProcessed;
  t.QVB_SetModalLoadLabel = SetModalLoadLabel;
  t.QVB_GetModalLoadCaseLabel = GetModalLoadCaseLabel;
  t.QVB_SetModalLoad = SetModalLoad;
  t.QVB_GetModalLoad = GetModalLoad;
  t.QVB_GetModalLoadCaseCount = GetModalLoadCaseCount;
  t.QVB_ModalLoadProcessed = ModalLoadProcessed;
  t.QVB_SetModalLoadProcessed = SetModalLoadProcessed;
  t.QVB_SetModalLoadNodal = SetModalLoadNodal;
  t.QVB_GetModalLoadNodalCaseCount = GetModalLoadNodalCaseCount;
  t.QVB_GetModalLoadNodalCount = GetModalLoadNodalCount;
  t.QVB_GetModalLoadNodalNode = GetModalLoadNodalNode;
  t.QVB_GetModalLoadNodalCoord = GetModalLoadNodalCoord;
  t.QVB_GetModalLoadNodalLoad = GetModalLoadNodalLoad;
}

}  // namespace qvb::body
