// Element-face check. Faces are compared through node IDs, since the two
// bodies may number their node indices differently.
//
// Equal face counts are first walked in order. When that ordered walk meets a
// face that does not match, the check falls back to the order-free matching
// used for different face counts, so a face list that was merely reordered,
// rotated or flipped still passes ("Pass FaceList B"); a face the base really
// lacks still fails.
#include "compare/compare_checks.h"
#include "compare/compare_report.h"

#include <algorithm>

namespace qvb::compare {
namespace {

// One body's faces, each as the IDs of its nodes.
struct FaceList {
  std::vector<std::vector<int>> faces;

  FaceList(QVB_Handle body, const std::vector<int> &flat, int listSize, int faceCount) {
    // A malformed node count stops the parse rather than reading past the list.
    std::size_t position = 0;
    const std::size_t end = std::min(static_cast<std::size_t>(countOrZero(listSize)), flat.size());
    for (int f = 0; f < faceCount && position < end; ++f) {
      const int nodes = flat[position];
      if (nodes < 0 || position + 1 + static_cast<std::size_t>(nodes) > end) break;
      std::vector<int> ids(static_cast<std::size_t>(nodes));
      for (int k = 0; k < nodes; ++k) ids[k] = QVB_NodeID(body, flat[position + 1 + k]);
      faces.push_back(std::move(ids));
      position += 1 + static_cast<std::size_t>(nodes);
    }
  }
};

bool sameFacesInOrder(const FaceList &newer, const FaceList &base, int faceCount) {
  if (newer.faces.size() != static_cast<std::size_t>(faceCount) || base.faces.size() != newer.faces.size())
    return false;
  return newer.faces == base.faces;
}

// The same cycle of nodes, starting anywhere and running either way round.
bool sameCycle(const std::vector<int> &a, const std::vector<int> &b) {
  const std::size_t n = a.size();
  if (b.size() != n) return false;
  for (std::size_t shift = 0; shift < n; ++shift) {
    bool forward = true, reversed = true;
    for (std::size_t t = 0; t < n && (forward || reversed); ++t) {
      const std::size_t q = (shift + t) % n;
      if (a[q] != b[t]) forward = false;
      if (a[n - 1 - q] != b[t]) reversed = false;
    }
    if (forward || reversed) return true;
  }
  return false;
}

bool everyNewFaceInBase(const FaceList &newer, const FaceList &base) {
  if (newer.faces.empty()) return false;
  for (const std::vector<int> &face : newer.faces) {
    const bool found = std::any_of(base.faces.begin(), base.faces.end(), [&](const std::vector<int> &candidate) {
      if (candidate.size() != face.size() || face.empty()) return false;
      if (std::find(candidate.begin(), candidate.end(), face.front()) == candidate.end()) return false;
      return sameCycle(face, candidate);
    });
    if (!found) return false;
  }
  return true;
}

}  // namespace

int checkFaces(QVB_Handle newer, QVB_Handle base) {
  int newFaces = 0, newSize = 0, baseFaces = 0, baseSize = 0;
  QVB_FaceListSize(newer, &newFaces, &newSize);
  QVB_FaceListSize(base, &baseFaces, &baseSize);
  if (newSize != baseSize) report(kNoteLine, "->Warning FaceListSize\n");
  else report(kPassLine, "  Pass FaceListSize\n");

  const int bufferSize = std::max(countOrZero(newSize), countOrZero(baseSize));
  std::vector<int> newFlat = zeroBuffer<int>(bufferSize);
  std::vector<int> baseFlat = zeroBuffer<int>(bufferSize);
  if (newSize > 0) QVB_ElementFaces(newer, newFlat.data());
  if (baseSize > 0) QVB_ElementFaces(base, baseFlat.data());
  const FaceList newList(newer, newFlat, newSize, newFaces);
  const FaceList baseList(base, baseFlat, baseSize, baseFaces);

  if (newFaces == baseFaces) {
    report(kPassLine, "  Pass FaceCount\n");
    if (sameFacesInOrder(newList, baseList, newFaces)) {
      report(kPassLine, "  Pass FaceList A\n");
      return 0;
    }
  } else {
    report(kNoteLine, "->Warning FaceCount\n");
  }
  if (!everyNewFaceInBase(newList, baseList)) {
    report(kFailLine, "->Fail FaceList\n");
    return -1;
  }
  report(kPassLine, "  Pass FaceList B\n");
  return 0;
}

}  // namespace qvb::compare
