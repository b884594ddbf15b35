// Body identity, units, header, global mass, nodes, nodal masses and
// inertias, and interface nodes.
#include <climits>
#include <cmath>

#include "slot_support.h"

namespace qvb::body {
namespace {

const char *const kQuantityWords[4] = {"mass", "length", "time", "force"};

// A body that holds no unit-dependent values yet adopts the units as the ones
// it stores; afterwards only the reporting units change.
void applyUnits(Body &b, const UnitSystem &units) {
  if (!b.holdsUnitData()) b.storedUnits = units;
  b.currentUnits = units;
}

int SetUnits(QVB_Handle h, const char *mass, const char *length, const char *time, const char *force) {
  return withBody(h, "QVB_SetUnits", 0, [&](Body &b) {
    const char *names[4] = {mass, length, time, force};
    UnitSystem units;
    for (int q = 0; q < 4; ++q)
      if (!lookupUnit(names[q], static_cast<UnitQuantity>(q), &units.names[q], &units.si[q])) {
        reportError("QVB_SetUnits: \"%s\" is not a %s unit", names[q] ? names[q] : "(null)", kQuantityWords[q]);
        return 0;
      }
    applyUnits(b, units);
    return 1;
  });
}

int SetUnitsByMultiplierOnSI(QVB_Handle h, double mass, double length, double time, double force) {
  return withBody(h, "QVB_SetUnitsByMultiplierOnSI", 0, [&](Body &b) {
    const double sizes[4] = {mass, length, time, force};
    UnitSystem units;
    for (int q = 0; q < 4; ++q) {
      if (!(sizes[q] > 0.0) || !std::isfinite(sizes[q])) {
        reportError("QVB_SetUnitsByMultiplierOnSI: the %s multiplier %g is not a positive number", kQuantityWords[q],
                    sizes[q]);
        return 0;
      }
      units.si[q] = sizes[q];
      units.names[q] = unitNameForSize(static_cast<UnitQuantity>(q), sizes[q]);
    }
    applyUnits(b, units);
    return 1;
  });
}

int Units(QVB_Handle h, char *mass, char *length, char *time, char *force) {
  return withBody(h, "QVB_Units", 0, [&](const Body &b) {
    char *out[4] = {mass, length, time, force};
    for (int q = 0; q < 4; ++q) copyCut(out[q], b.currentUnits.names[q], 16);
    return 1;
  });
}

double toSI(QVB_Handle h, double value, int quantity, const char *operation) {
  return withBody(h, operation, 0.0, [&](const Body &b) { return value * b.currentUnits.si[quantity]; });
}
double Mass2Kilogram(QVB_Handle h, double v) { return toSI(h, v, kMass, "QVB_Mass2Kilogram"); }
double Force2Newton(QVB_Handle h, double v) { return toSI(h, v, kForce, "QVB_Force2Newton"); }
double Length2Meter(QVB_Handle h, double v) { return toSI(h, v, kLength, "QVB_Length2Meter"); }
double Time2Second(QVB_Handle h, double v) { return toSI(h, v, kTime, "QVB_Time2Second"); }

std::string cut(const char *text, size_t maximum) {
  std::string s = text ? text : "";
  if (s.size() > maximum) s.resize(maximum);
  return s;
}

int SetHeader(QVB_Handle h, const char *title, const char *text2, const char *fileType, const char *c1,
              const char *c2, const char *c3) {
  return withBody(h, "QVB_SetHeader", 0, [&](Body &b) {
    b.header.title = cut(title, 127);
    b.header.text2 = cut(text2, 127);
    b.header.fileType = cut(fileType, 15);
    b.header.comment1 = cut(c1, 79);
    b.header.comment2 = cut(c2, 79);
    b.header.comment3 = cut(c3, 79);
    return 1;
  });
}

int ReadHeader(QVB_Handle h, char *title, char *text2, char *text3, char *fileType, char *c1, char *c2, char *c3) {
  return withBody(h, "QVB_Header", 0, [&](const Body &b) {
    // Sized for the smallest buffers that callers provide.
    copyCut(title, b.header.title, 128);
    copyCut(text2, b.header.text2, 32);
    copyCut(text3, b.header.text3, 128);
    copyCut(fileType, b.header.fileType, 16);
    copyCut(c1, b.header.comment1, 80);
    copyCut(c2, b.header.comment2, 80);
    copyCut(c3, b.header.comment3, 80);
    return 1;
  });
}

int SetGlobalMass(QVB_Handle h, double mass, double *inertia, double *centre) {
  return withBody(h, "QVB_SetGlobalMass", 0, [&](Body &b) {
    if (!notNull(inertia, "QVB_SetGlobalMass") || !notNull(centre, "QVB_SetGlobalMass")) return 0;
    b.global.present = true;
    b.global.mass = mass * toStored(b, dim::kMass);
    for (int k = 0; k < 9; ++k) b.global.inertia[k] = inertia[k] * toStored(b, dim::kInertia);
    for (int k = 0; k < 3; ++k) b.global.centre[k] = centre[k] * toStored(b, dim::kLength);
    return 1;
  });
}

int TotalMassInertia(QVB_Handle h, double *mass, double *inertia, double *centre) {
  return withBody(h, "QVB_TotalMassInertia", 0, [&](const Body &b) {
    double m, j[9], c[3];
    b.totalMassInertia(&m, j, c);
    if (mass) *mass = m * toCurrent(b, dim::kMass);
    for (int k = 0; inertia && k < 9; ++k) inertia[k] = j[k] * toCurrent(b, dim::kInertia);
    for (int k = 0; centre && k < 3; ++k) centre[k] = c[k] * toCurrent(b, dim::kLength);
    return 1;
  });
}

int BodySize(QVB_Handle h) {
  return withBody(h, "QVB_BodySize", 0, [&](const Body &b) {
    // Bytes of the large arrays: a measure of the body, not of the allocator.
    double bytes = b.coordinates.size() * 8.0 + b.nodeCount() * 4.0 + b.nodalMass.size() * 8.0 +
                   b.nodalInertia.size() * 8.0 + b.faces.size() * 4.0;
    for (const auto &kind : b.kinds)
      for (const auto &mode : kind.modes) bytes += mode.size() * 8.0;
    return bytes > INT_MAX ? INT_MAX : static_cast<int>(bytes);
  });
}

int NodeIndex(QVB_Handle h, int id) {
  return withBody(h, "QVB_NodeIndex", -1, [&](const Body &b) { return b.nodeIndex(id); });
}

int NodeID(QVB_Handle h, int index) {
  return withBody(h, "QVB_NodeID", -1,
                  [&](const Body &b) { return validNodeIndex(b, index, "QVB_NodeID") ? b.nodes.ids()[index] : -1; });
}

int NodeCount(QVB_Handle h) {
  return withBody(h, "QVB_NodeCount", 0, [&](const Body &b) { return b.nodeCount(); });
}

int SetNodeCoordinates(QVB_Handle h, int id, double x, double y, double z) {
  return withBody(h, "QVB_SetNodeCoordinates", 0, [&](Body &b) {
    int index = b.ensureNode(id);
    double f = toStored(b, dim::kLength);
    double *xyz = &b.coordinates[3 * static_cast<size_t>(index)];
    xyz[0] = x * f;
    xyz[1] = y * f;
    xyz[2] = z * f;
    return 1;
  });
}

int NodeCoordinates(QVB_Handle h, int index, double *xyz) {
  return withBody(h, "QVB_NodeCoordinates", 0, [&](const Body &b) {
    if (!validNodeIndex(b, index, "QVB_NodeCoordinates") || !notNull(xyz, "QVB_NodeCoordinates")) return 0;
    double f = toCurrent(b, dim::kLength);
    for (int r = 0; r < 3; ++r) xyz[r] = b.coordinates[3 * static_cast<size_t>(index) + r] * f;
    return 1;
  });
}

int NodeCoordinateList(QVB_Handle h, double *xyz, int *count) {
  return withBody(h, "QVB_NodeCoordinateList", 0, [&](const Body &b) {
    if (!notNull(count, "QVB_NodeCoordinateList")) return 0;
    if (xyz == nullptr) {  // a size query
      *count = b.nodeCount();
      return 1;
    }
    int n = std::max(0, std::min(*count, b.nodeCount()));
    double f = toCurrent(b, dim::kLength);
    for (size_t k = 0; k < 3 * static_cast<size_t>(n); ++k) xyz[k] = b.coordinates[k] * f;
    *count = n;
    return 1;
  });
}

int SetNodalMass(QVB_Handle h, int id, double mass) {
  return withBody(h, "QVB_SetNodalMass", 0, [&](Body &b) {
    int index = b.ensureNode(id);
    b.nodalMass.resize(b.nodeCount(), 0.0);
    b.nodalMass[index] = mass * toStored(b, dim::kMass);
    return 1;
  });
}

double NodalMass(QVB_Handle h, int index) {
  return withBody(h, "QVB_NodalMass", 0.0, [&](const Body &b) {
    if (!validNodeIndex(b, index, "QVB_NodalMass") || b.nodalMass.empty()) return 0.0;
    return b.nodalMass[index] * toCurrent(b, dim::kMass);
  });
}

double *inertiaOf(Body &b, int id) {
  int index = b.ensureNode(id);
  b.nodalInertia.resize(static_cast<size_t>(b.nodeCount()) * 6, 0.0);
  return &b.nodalInertia[static_cast<size_t>(index) * 6];
}

int SetNodalInertia(QVB_Handle h, int id, double ixx, double iyy, double izz, double ixy, double ixz, double iyz) {
  return withBody(h, "QVB_SetNodalInertia", 0, [&](Body &b) {
    double f = toStored(b, dim::kInertia);
    const double values[6] = {ixx, iyy, izz, ixy, ixz, iyz};
    double *six = inertiaOf(b, id);
    for (int k = 0; k < 6; ++k) six[k] = values[k] * f;
    return 1;
  });
}

int NodalInertia(QVB_Handle h, int index, double *tensor) {
  return withBody(h, "QVB_NodalInertia", 0, [&](const Body &b) {
    if (!validNodeIndex(b, index, "QVB_NodalInertia") || !notNull(tensor, "QVB_NodalInertia")) return 0;
    std::fill(tensor, tensor + 9, 0.0);
    if (b.nodalInertia.empty()) return 0;
    const double *s = &b.nodalInertia[static_cast<size_t>(index) * 6];
    if (std::all_of(s, s + 6, [](double v) { return v == 0.0; })) return 0;
    double f = toCurrent(b, dim::kInertia);
    const int from[9] = {0, 3, 4, 3, 1, 5, 4, 5, 2};
    for (int k = 0; k < 9; ++k) tensor[k] = s[from[k]] * f;
    return 1;
  });
}

int SetNodalInertiaEntry(QVB_Handle h, int id, int row, int column, double value) {
  return withBody(h, "QVB_SetNodalInertiaEntry", 0, [&](Body &b) {
    // Rows and columns count from 1; both triangles name the same entry.
    static const int kSlot[3][3] = {{0, 3, 4}, {3, 1, 5}, {4, 5, 2}};
    if (row < 1 || row > 3 || column < 1 || column > 3) {
      reportError("QVB_SetNodalInertiaEntry: entry (%d, %d) is outside 1..3", row, column);
      return 0;
    }
    inertiaOf(b, id)[kSlot[row - 1][column - 1]] = value * toStored(b, dim::kInertia);
    return 1;
  });
}

int SetInterfaceNode(QVB_Handle h, int id) {
  return withBody(h, "QVB_SetInterfaceNode", 0, [&](Body &b) {
    if (std::find(b.interfaceNodes.begin(), b.interfaceNodes.end(), id) == b.interfaceNodes.end())
      b.interfaceNodes.push_back(id);
    return 1;
  });
}

int *InterfaceNodeIDs(QVB_Handle h, int *count) {
  if (count) *count = 0;
  return withBody(h, "QVB_InterfaceNodeIDs", static_cast<int *>(nullptr), [&](const Body &b) {
    if (count) *count = static_cast<int>(b.interfaceNodes.size());
    return handOut(b.interfaceNodes);
  });
}

int *InterfaceNodes(QVB_Handle h, int *count) {
  if (count) *count = 0;
  return withBody(h, "QVB_InterfaceNodes", static_cast<int *>(nullptr), [&](const Body &b) {
    std::vector<int> indices;
    for (int id : b.interfaceNodes) {
      int index = b.nodeIndex(id);
      if (index >= 0) indices.push_back(index);
    }
    if (count) *count = static_cast<int>(indices.size());
    return handOut(indices);
  });
}

int Version(QVB_Handle h) {
  return withBody(h, "QVB_Version", 0, [&](const Body &b) { return b.version; });
}

int SetVersion(QVB_Handle h, int version) {
  return withBody(h, "QVB_SetVersion", 0, [&](Body &b) {
    b.version = version;
    return 1;
  });
}

int Exists(QVB_Handle h, int blockIndex) {
  return withBody(h, "QVB_Exists", 0, [&](const Body &b) { return b.exists(blockIndex + 1) ? 1 : 0; });
}

int UCF(QVB_Handle h) {
  return withBody(h, "QVB_UCF", 0, [&](const Body &b) { return b.currentUnits != b.storedUnits ? 1 : 0; });
}

int GetFlexType(QVB_Handle h) {
  return withBody(h, "QVB_GetFlexType", -1, [&](Body &) { return flexType(); });
}

int IsValid(QVB_Handle h) { return isLiveBody(h) ? 1 : 0; }

int Destroy(QVB_Handle h) {
  return guarded(reportError, "QVB_Destroy", 0, [&] {
    if (findBody(h, "QVB_Destroy") == nullptr) return 0;
    destroyBody(h);
    return 1;
  });
}

int DeReference(QVB_Handle h) {
  return guarded(reportError, "QVB_DeReference", 0, [&] {
    if (findBody(h, "QVB_DeReference") == nullptr) return 0;
    destroyBody(h);
    return 1;
  });
}

int UnLink(QVB_Handle h) {
  // Bodies are read whole and keep no file open, so there is nothing to let go.
  return withBody(h, "QVB_UnLink", 0, [&](Body &) { return 1; });
}

// Every ID that names a node somewhere in the body.
std::vector<int> allNodeIds(const Body &b) {
  std::vector<int> ids = b.nodes.ids();
  for (const auto &kind : b.kinds) ids.insert(ids.end(), kind.nodes.ids().begin(), kind.nodes.ids().end());
  ids.insert(ids.end(), b.interfaceNodes.begin(), b.interfaceNodes.end());
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

int RenumberNodes(QVB_Handle h, int offset) {
  return withBody(h, "QVB_RenumberNodes", 0, [&](Body &b) {
    std::unordered_map<int, int> renamed;
    for (int id : allNodeIds(b)) {
      long long shifted = static_cast<long long>(id) + offset;
      if (shifted > INT_MAX || shifted < INT_MIN) {
        reportError("QVB_RenumberNodes: node %d plus %d does not fit a node ID", id, offset);
        return 0;
      }
      renamed[id] = static_cast<int>(shifted);
    }
    b.renameNodes(renamed);
    return 1;
  });
}

int RenumberInterfaceNodes(QVB_Handle h, int count, int *newIds) {
  return withBody(h, "QVB_RenumberInterfaceNodes", 0, [&](Body &b) {
    if (count > 0 && !notNull(newIds, "QVB_RenumberInterfaceNodes")) return 0;
    int n = std::min<int>(std::max(count, 0), static_cast<int>(b.interfaceNodes.size()));
    std::unordered_map<int, int> renamed;
    for (int i = 0; i < n; ++i) renamed[b.interfaceNodes[i]] = newIds[i];
    // A new ID may not collide with a node that keeps its ID.
    std::vector<int> targets;
    for (int id : allNodeIds(b))
      targets.push_back(renamed.count(id) ? renamed[id] : id);
    std::sort(targets.begin(), targets.end());
    if (std::adjacent_find(targets.begin(), targets.end()) != targets.end()) {
      reportError("QVB_RenumberInterfaceNodes: the new IDs would give two nodes the same ID");
      return 0;
    }
    b.renameNodes(renamed);
    return 1;
  });
}

}  // namespace

void fillNodeSlots(s_FLEX_INTERFACE &t) {
  t.QVB_SetUnits = SetUnits;
  t.QVB_SetUnitsByMultiplierOnSI = SetUnitsByMultiplierOnSI;
  t.QVB_Units = Units;
  t.QVB_Mass2Kilogram = Mass2Kilogram;
  t.QVB_Force2Newton = Force2Newton;
  t.QVB_Length2Meter = Length2Meter;
  t.QVB_Time2Second = Time2Second;
  t.QVB_SetHeader = SetHeader;
  t.QVB_Header = ReadHeader;
  t.QVB_SetGlobalMass = SetGlobalMass;
  t.QVB_TotalMassInertia = TotalMassInertia;
  t.QVB_BodySize = BodySize;
  t.QVB_NodeIndex = NodeIndex;
  t.QVB_NodeID = NodeID;
  t.QVB_NodeCount = NodeCount;
  t.QVB_SetNodeCoordinates = SetNodeCoordinates;
  t.QVB_NodeCoordinates = NodeCoordinates;
  t.QVB_NodeCoordinateList = NodeCoordinateList;
  t.QVB_SetNodalMass = SetNodalMass;
  t.QVB_NodalMass = NodalMass;
  t.QVB_SetNodalInertia = SetNodalInertia;
  t.QVB_NodalInertia = NodalInertia;
  t.QVB_SetNodalInertiaEntry = SetNodalInertiaEntry;
  t.QVB_SetInterfaceNode = SetInterfaceNode;
  t.QVB_InterfaceNodeIDs = InterfaceNodeIDs;
  t.QVB_InterfaceNodes = InterfaceNodes;
  t.QVB_Version = Version;
  t.QVB_SetVersion = SetVersion;
  t.QVB_Exists = Exists;
  t.QVB_UCF = UCF;
  t.QVB_GetFlexType = GetFlexType;
  t.QVB_IsValid = IsValid;
  t.QVB_Destroy = Destroy;
  t.QVB_UnLink = UnLink;
  t.QVB_DeReference = DeReference;
  t.QVB_RenumberNodes = RenumberNodes;
  t.QVB_RenumberInterfaceNodes = RenumberInterfaceNodes;
}

}  // namespace qvb::body
