// The edges (node lists given with -C or taken from the body's free edges)
// and the rotor-dynamics matrices, written as they come (not zeroed).
#include "convert/matrix_writers.h"
#include "qvb.h"

namespace qvb::convert {

bool writeEdges(ConversionContext &context, MtxWriter &mtx) {
  if (context.plan.edges.empty()) return true;  // rigid-body data only
  for (const Edge &edge : context.edges) {
    if (!mtx.matrixHeader(kEdge, edge.number, "FULL", "RORDER", static_cast<int>(edge.entries.size()), 1, 0, 0))
      return false;
    for (int entry : edge.entries) {
      mtx.integer(entry);
      mtx.endLine();
    }
  }
  return true;
}

bool writeRotorDynamics(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kRdAxis)) return true;
  QVB_Handle body = context.body;
  double first[3] = {0.0, 0.0, 0.0}, second[3] = {0.0, 0.0, 0.0};
  if (QVB_RotorDynamicsAxis(body, first, second) == 0) return false;
  if (!mtx.matrixHeader(kRdAxis, -1, "FULL", "RORDER", 2, 0, 3, 0)) return false;
  mtx.realLines({first[0], first[1], first[2], second[0], second[1], second[2]}, 3, false);

  const size_t modeCount = static_cast<size_t>(QVB_ModeCount(body));
  const std::vector<int> idx = selectedModeIndices(context);
  const int n = static_cast<int>(idx.size());
  const int names[3] = {kRdGyro, kRdCirc, kRdDiff};
  for (int kind = 0; kind < 3; ++kind) {
    if (!context.plan.has(names[kind])) continue;
    double *matrix = QVB_RotorDynamicsMatrix(body, kind);
    if (matrix == nullptr) return announcedMatrixMissing(names[kind]);
    std::vector<double> selected(static_cast<size_t>(n) * n);
    for (int j = 0; j < n; ++j)
      for (int c = 0; c < n; ++c) selected[static_cast<size_t>(j) * n + c] = matrix[idx[j] * modeCount + idx[c]];
    QVB_FreeMemory(matrix);
    if (!mtx.matrixHeader(names[kind], -1, "FULL", "RORDER", n, 0, n, 0)) return false;
    mtx.realLines(selected, n, false);
  }
  return true;
}

}  // namespace qvb::convert
