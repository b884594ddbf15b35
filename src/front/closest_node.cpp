// QVB_ClosestNode: the node of a body nearest to a point.
#include <cstdint>
#include <cstdlib>

#include "front/backend_binding.h"
#include "front/body_registry.h"
#include "util/c_boundary.h"
#include "qvb/qvb_interface.h"

using namespace qvb::front;
using qvb::util::guarded;

namespace {

constexpr const char *kFunction = "QVB_ClosestNode";
constexpr int kNoNode = -1;

// A product too large for size_t asks for the largest size, so that the
// allocation fails instead of succeeding with a wrapped, too small size.
std::size_t saturatingBytes(std::size_t count, std::size_t elementSize) {
  if (elementSize != 0 && count > SIZE_MAX / elementSize) return SIZE_MAX;
  return count * elementSize;
}

double squaredDistance(const double *point, const double *node) {
  const double dx = node[0] - point[0], dy = node[1] - point[1], dz = node[2] - point[2];
  return dx * dx + dy * dy + dz * dz;
}

// Searches the candidates in order (all nodes 0..n-1 when candidates is
// null). Only a strictly smaller distance replaces the best, so ties keep the
// earlier candidate and a NaN distance never wins (nor is a NaN first
// distance ever beaten). An exact hit ends the search. Candidate indices
// outside the coordinate list are skipped rather than read.
int nearest(const double *point, const double *coordinates, int nodeCount, const int *candidates,
            int candidateCount) {
  int best = kNoNode;
  double bestDistance = 0.0;
  for (int k = 0; k < candidateCount; ++k) {
    const int node = candidates == nullptr ? k : candidates[k];
    if (node < 0 || node >= nodeCount) continue;
    const double distance = squaredDistance(point, coordinates + 3 * static_cast<std::size_t>(node));
    if (best == kNoNode || distance < bestDistance) {
      best = node;
      bestDistance = distance;
      if (bestDistance == 0.0) break;
    }
  }
  return best;
}

int closestNode(QVB_Handle h, const double *point, int interfaceOnly) {
  s_FLEX_INTERFACE *table = tableForCall(h, 32, kFunction);
  if (table == nullptr || !tableForCall(h, 35, kFunction) || !tableForCall(h, 130, kFunction))
    return kNoNode;
  if (point == nullptr) {
    QVB_Error("%s: no point given", kFunction);
    return kNoNode;
  }
  // A body without nodes has no closest node.
  const int capacity = table->QVB_NodeCount(h);
  if (capacity <= 0) return kNoNode;

  auto *coordinates = static_cast<double *>(
      std::malloc(saturatingBytes(static_cast<std::size_t>(capacity), 3 * sizeof(double))));
  if (coordinates == nullptr) {
    QVB_Error("%s: no memory for the coordinates of %d nodes", kFunction, capacity);
    return kNoNode;
  }
  int nodeCount = capacity;
  table->QVB_NodeCoordinateList(h, coordinates, &nodeCount);
  // The backend may report fewer nodes than it was given room for; more
  // would mean it wrote past the array, and are never read.
  if (nodeCount > capacity) nodeCount = capacity;

  int interfaceCount = 0;
  int *interfaceNodes = table->QVB_InterfaceNodes(h, &interfaceCount);
  const bool searchInterface = interfaceOnly != 0 && interfaceCount > 0 && interfaceNodes != nullptr;
  const int best = searchInterface
                       ? nearest(point, coordinates, nodeCount, interfaceNodes, interfaceCount)
                       : nearest(point, coordinates, nodeCount, nullptr, nodeCount);

  if (interfaceNodes != nullptr) releaseBackendMemory(interfaceNodes);
  std::free(coordinates);
  return best;
}

}  // namespace

extern "C" {

// Returns the node's index in the body's coordinate list, or -1 for a body
// without nodes (or on failure, which is reported).
QVB_API int QVB_ClosestNode(QVB_Handle h, double *point, int interfaceOnly) {
  return guarded(QVB_Error, kFunction, kNoNode, [&] { return closestNode(h, point, interfaceOnly); });
}

}  // extern "C"
