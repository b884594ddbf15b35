// Closest nodes, element faces, free edges, rigid motions and the block dump.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "block_table.h"
#include "slot_support.h"

namespace qvb::body {
namespace {

double squaredDistance(const Body &b, int index, const double *p) {
  const double *x = &b.coordinates[3 * static_cast<size_t>(index)];
  double dx = x[0] - p[0], dy = x[1] - p[1], dz = x[2] - p[2];
  return dx * dx + dy * dy + dz * dz;
}

// Candidate node indices sorted by distance to p (in stored units); equal
// distances keep the candidates' order.
std::vector<std::pair<double, int>> byDistance(const Body &b, const double *pointInCurrent, bool interfaceOnly) {
  double f = toStored(b, dim::kLength);
  const double p[3] = {pointInCurrent[0] * f, pointInCurrent[1] * f, pointInCurrent[2] * f};
  std::vector<int> candidates;
  if (interfaceOnly)
    for (int id : b.interfaceNodes) {
      int index = b.nodeIndex(id);
      if (index >= 0) candidates.push_back(index);
    }
  if (candidates.empty()) {
    candidates.resize(b.nodeCount());
    std::iota(candidates.begin(), candidates.end(), 0);
  }
  std::vector<std::pair<double, int>> sorted;
  sorted.reserve(candidates.size());
  for (int index : candidates) sorted.emplace_back(squaredDistance(b, index, p), index);
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &c) { return a.first < c.first; });
  return sorted;
}

// The `count` nearest nodes (interface nodes only when asked and the body has
// any), nearest first; returns how many indices were written.
int ClosestNodes(QVB_Handle h, double *point, int count, int interfaceOnly, int *indices) {
  return withBody(h, "QVB_ClosestNodes", 0, [&](const Body &b) {
    if (!notNull(point, "QVB_ClosestNodes") || (count > 0 && !notNull(indices, "QVB_ClosestNodes"))) return 0;
    auto sorted = byDistance(b, point, interfaceOnly != 0);
    int n = std::min<int>(std::max(count, 0), static_cast<int>(sorted.size()));
    for (int k = 0; k < n; ++k) indices[k] = sorted[k].second;
    return n;
  });
}

// Every node within `radius` (inclusive), nearest first, at most `capacity`;
// returns how many indices were written.
int ClosestNodesInNeighborhood(QVB_Handle h, double *point, double radius, int capacity, int *indices) {
  return withBody(h, "QVB_ClosestNodesInNeighborhood", 0, [&](const Body &b) {
    if (!notNull(point, "QVB_ClosestNodesInNeighborhood") ||
        (capacity > 0 && !notNull(indices, "QVB_ClosestNodesInNeighborhood")))
      return 0;
    double r = radius * toStored(b, dim::kLength);
    auto sorted = byDistance(b, point, false);
    int n = 0;
    for (const auto &[d2, index] : sorted) {
      if (n >= capacity || d2 > r * r) break;
      indices[n++] = index;
    }
    return n;
  });
}

int SetFaceList(QVB_Handle h, int count, int *nodeIds) {
  return withBody(h, "QVB_SetFaceList", 0, [&](Body &b) {
    if (count < 1) {
      reportError("QVB_SetFaceList: a face needs at least one vertex, not %d", count);
      return 0;
    }
    if (!notNull(nodeIds, "QVB_SetFaceList")) return 0;
    b.faces.push_back(count);
    b.faces.insert(b.faces.end(), nodeIds, nodeIds + count);
    b.invalidateDerived();
    return 1;
  });
}

int FaceListSize(QVB_Handle h, int *faceCount, int *listSize) {
  return withBody(h, "QVB_FaceListSize", 0, [&](const Body &b) {
    int faces = 0;
    for (size_t i = 0; i < b.faces.size(); i += 1 + std::max(b.faces[i], 0)) ++faces;
    if (faceCount) *faceCount = faces;
    if (listSize) *listSize = static_cast<int>(b.faces.size());
    return 1;
  });
}

// Groups of a vertex count and that many node indices (-1 for a vertex that
// is not a node of the body).
int ElementFaces(QVB_Handle h, int *list) {
  return withBody(h, "QVB_ElementFaces", 0, [&](const Body &b) {
    if (b.faces.empty()) return 1;
    if (!notNull(list, "QVB_ElementFaces")) return 0;
    for (size_t i = 0; i < b.faces.size();) {
      int count = std::max(b.faces[i], 0);
      list[i] = b.faces[i];
      for (int k = 1; k <= count && i + k < b.faces.size(); ++k) list[i + k] = b.nodeIndex(b.faces[i + k]);
      i += 1 + count;
    }
    return 1;
  });
}

int RemoveInternalGeometry(QVB_Handle h) {
  return withBody(h, "QVB_RemoveInternalGeometry", 0, [&](Body &b) {
    b.removeInternalGeometry();
    return 1;
  });
}

int IsCoarsened(QVB_Handle h) {
  return withBody(h, "QVB_IsCoarsened", 0, [&](const Body &b) { return b.coarsened; });
}

bool unitVector(const double *v, double *out, const char *operation) {
  double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(n > 0.0) || !std::isfinite(n)) {
    reportError("%s: the direction has no length", operation);
    return false;
  }
  for (int k = 0; k < 3; ++k) out[k] = v[k] / n;
  return true;
}

int Mirror(QVB_Handle h, double *point, double *normal) {
  return withBody(h, "QVB_Mirror", 0, [&](Body &b) {
    double n[3];
    if (!notNull(point, "QVB_Mirror") || !notNull(normal, "QVB_Mirror") || !unitVector(normal, n, "QVB_Mirror"))
      return 0;
    double f = toStored(b, dim::kLength);
    double pn = (point[0] * n[0] + point[1] * n[1] + point[2] * n[2]) * f;
    double R[9], t[3];
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) R[3 * r + c] = (r == c ? 1.0 : 0.0) - 2.0 * n[r] * n[c];
      t[r] = 2.0 * pn * n[r];
    }
    b.transform(R, t);
    return 1;
  });
}

// Rotation by `angle` radians about the axis through `point`, right-handed.
int Rotate(QVB_Handle h, double *point, double *axis, double angle) {
  return withBody(h, "QVB_Rotate", 0, [&](Body &b) {
    double a[3];
    if (!notNull(point, "QVB_Rotate") || !notNull(axis, "QVB_Rotate") || !unitVector(axis, a, "QVB_Rotate")) return 0;
    double c = std::cos(angle), s = std::sin(angle), C = 1.0 - c;
    const double R[9] = {c + a[0] * a[0] * C,        a[0] * a[1] * C - a[2] * s, a[0] * a[2] * C + a[1] * s,
                         a[1] * a[0] * C + a[2] * s, c + a[1] * a[1] * C,        a[1] * a[2] * C - a[0] * s,
                         a[2] * a[0] * C - a[1] * s, a[2] * a[1] * C + a[0] * s, c + a[2] * a[2] * C};
    double f = toStored(b, dim::kLength), p[3] = {point[0] * f, point[1] * f, point[2] * f}, t[3];
    for (int r = 0; r < 3; ++r) t[r] = p[r] - (R[3 * r] * p[0] + R[3 * r + 1] * p[1] + R[3 * r + 2] * p[2]);
    b.transform(R, t);
    return 1;
  });
}

int Translate(QVB_Handle h, double *direction, double distance) {
  return withBody(h, "QVB_Translate", 0, [&](Body &b) {
    double d[3];
    if (!notNull(direction, "QVB_Translate") || !unitVector(direction, d, "QVB_Translate")) return 0;
    double f = distance * toStored(b, dim::kLength);
    const double R[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, t[3] = {d[0] * f, d[1] * f, d[2] * f};
    b.transform(R, t);
    return 1;
  });
}

const std::vector<int> *freeEdge(const Body &b, int edge, const char *operation) {
  const auto &edges = b.freeEdges();
  if (edge >= 0 && edge < static_cast<int>(edges.size())) return &edges[edge];
  reportError("%s: free edge %d is outside 0..%d", operation, edge, static_cast<int>(edges.size()) - 1);
  return nullptr;
}

int GetFreeEdgeCount(QVB_Handle h) {
  return withBody(h, "QVB_GetFreeEdgeCount", 0, [&](const Body &b) { return static_cast<int>(b.freeEdges().size()); });
}

int GetFreeEdgeSize(QVB_Handle h, int edge) {
  return withBody(h, "QVB_GetFreeEdgeSize", 0, [&](const Body &b) {
    const std::vector<int> *e = freeEdge(b, edge, "QVB_GetFreeEdgeSize");
    return e ? static_cast<int>(e->size()) : 0;
  });
}

int GetFreeEdge(QVB_Handle h, int edge, int *nodeIds) {
  return withBody(h, "QVB_GetFreeEdge", 0, [&](const Body &b) {
    const std::vector<int> *e = freeEdge(b, edge, "QVB_GetFreeEdge");
    if (!e || !notNull(nodeIds, "QVB_GetFreeEdge")) return 0;
    std::copy(e->begin(), e->end(), nodeIds);
    return 1;
  });
}

int Contents(QVB_Handle h, int block, FILE *stream) {
  return withBody(h, "QVB_Contents", 0, [&](const Body &b) {
    if (!notNull(stream, "QVB_Contents")) return 0;
    if (!findBlock(block)) {
      // The numbering has one gap (33): dumps of 1..37 pass over it quietly.
      if (block >= 1 && block <= kLastBlock) return 0;
      reportError("QVB_Contents: %d is not a block number (1 to 37, without 33)", block);
      return 0;
    }
    writeContents(b, block, stream);
    return 1;
  });
}

}  // namespace

void fillGeometrySlots(s_FLEX_INTERFACE &t) {
  t.QVB_ClosestNodes = ClosestNodes;
  t.QVB_ClosestNodesInNeighborhood = ClosestNodesInNeighborhood;
  t.QVB_SetFaceList = SetFaceList;
  t.QVB_FaceListSize = FaceListSize;
  t.QVB_ElementFaces = ElementFaces;
  t.QVB_RemoveInternalGeometry = RemoveInternalGeometry;
  t.QVB_IsCoarsened = IsCoarsened;
  t.QVB_Mirror = Mirror;
  t.QVB_Rotate = Rotate;
  t.QVB_Translate = Translate;
  t.QVB_GetFreeEdgeCount = GetFreeEdgeCount;
  t.QVB_GetFreeEdgeSize = GetFreeEdgeSize;
  t.QVB_GetFreeEdge = GetFreeEdge;
  t.QVB_Contents = Contents;
}

}  // namespace qvb::body
