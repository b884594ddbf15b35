// SELNOD, SELMOD, GENSTIFF, T_MODE and R_MODE: what was selected and the
// modal data at the selection.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "convert/matrix_writers.h"
#include "convert/text_output.h"
#include "qvb.h"

namespace qvb::convert {

std::vector<int> selectedModeIndices(const ConversionContext &context) {
  std::vector<int> indices;
  for (int mode : context.modes) indices.push_back(QVB_ModeIndex(context.body, mode));
  return indices;
}

bool announcedMatrixMissing(int name) {
  QVB_Error("The body no longer provides %s although the file header lists it", storedMatrixName(name));
  return false;
}

bool writeSelectedNodes(ConversionContext &context, MtxWriter &mtx) {
  QVB_Handle body = context.body;
  int interfaceCount = 0;
  int *interfaceNodes = QVB_InterfaceNodes(body, &interfaceCount);
  std::vector<int> interface;
  if (interfaceNodes != nullptr) {
    interface.assign(interfaceNodes, interfaceNodes + std::max(interfaceCount, 0));
    QVB_FreeMemory(interfaceNodes);
  }
  const int s = static_cast<int>(context.nodes.size());
  if (!mtx.matrixHeader(kSelNod, -1, "FULL", "RORDER", s, 1, 3, 1)) return false;
  for (int index : context.nodes) {
    double xyz[3] = {0.0, 0.0, 0.0};
    QVB_NodeCoordinates(body, index, xyz);
    mtx.integer(QVB_NodeID(body, index));
    for (double v : xyz) mtx.real(v);
    mtx.shortInteger(std::find(interface.begin(), interface.end(), index) != interface.end() ? 1 : 0);
    mtx.endLine();
  }
  return true;
}

bool writeSelectedModes(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kSelMod)) return true;
  const int n = static_cast<int>(context.modes.size());
  if (!mtx.matrixHeader(kSelMod, -1, "FULL", "RORDER", n, 1, 1, 0)) return false;
  for (int mode : context.modes) {
    double value = 0.0;
    QVB_Eigenvalue(context.body, mode, nullptr, &value, nullptr, nullptr, nullptr);
    mtx.integer(mode);
    mtx.zeroed(value);
    mtx.endLine();
  }
  return true;
}

bool writeGeneralizedStiffness(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kGenStiff)) return true;
  const int n = static_cast<int>(context.modes.size());
  if (n == 0) {
    QVB_Error("Failed to allocate memory for GENSTIFF at line %d in file %s.\n", __LINE__, kSourceName);
    return false;
  }
  std::vector<double> dense(static_cast<size_t>(n) * n, 0.0);
  std::vector<double *> rows(n);
  for (int j = 0; j < n; ++j) rows[j] = dense.data() + static_cast<size_t>(j) * n;
  QVB_GenStiffSelected(context.body, rows.data(), n, context.modes.data());
  for (double &v : dense) v *= context.stiffnessScale;
  return mtx.sparse(kGenStiff, n, n, dense);
}

namespace {

// One part (0 translational, 1 rotational) of every selected mode at every
// selected node, node outer and mode inner, as the file lists them. Fetched
// and written a block of nodes at a time into one reused buffer: the text
// goes out in large writes (this is the largest matrix of the file) and no
// array of the whole matrix is ever allocated, whose fresh pages would cost
// more than the fetching (page faults: bench/README.md).
bool writeShapePart(ConversionContext &context, MtxWriter &mtx, int name, int part,
                    const std::vector<int> &nodeIds) {
  const int n = static_cast<int>(context.modes.size());
  const int s = static_cast<int>(nodeIds.size());
  if (!mtx.matrixHeader(name, -1, "FULL", "CORDER", s * n, 0, 3, 0)) return false;
  // Every line holds three values of a fixed width, so on threads the
  // text's place in the file is known before it is made, and it is made
  // there (the file mapped in place): no thread waits for another's write.
  std::unique_ptr<InPlaceOutput> inPlace;
  if (context.threads > 1) {
    std::unique_ptr<platform::InPlaceRun> run =
        context.output.appendInPlace(mtx.realLinesBytes(static_cast<size_t>(s) * n * 3, 3));
    if (context.output.failed()) return true;  // the disk refused the bytes: closing says so
    if (run) inPlace = std::make_unique<InPlaceOutput>(std::move(run));
  }
  // Blocks of about 1024 nodes on one thread. In place, of about 2^19
  // values (12 MB of text): threads meet where two blocks touch, when both
  // fault in the same pages of the file cache, so larger blocks meet less
  // (2^15 values took half as long again). Written through the stream in
  // order, of about 2^15 values: the text of one (750 KB) is still in the
  // cache of the thread that formatted it when it is written.
  const int valuesPerBlock = inPlace ? 1 << 19 : 1 << 15;
  const int nodesPerBlock = context.threads <= 1 ? 1024 : std::max(1, valuesPerBlock / std::max(1, 3 * n));
  int first = 0;
  // The body is read on this thread only (a backend need not be
  // thread-safe); the blocks are formatted by all of them.
  auto next = [&](std::vector<double> &block) {
    if (first >= s) return false;
    const int last = std::min(s, first + nodesPerBlock);
    // Zeros where the body provides nothing, as for a missing mode.
    block.assign(static_cast<size_t>(last - first) * n * 3, 0.0);
    // Mode outer here: each call reads on in the same mode's values.
    for (int k = 0; k < n; ++k)
      for (int p = first; p < last; ++p)
        QVB_ModeByNodeWithoutCache(context.body, context.modes[k], 0, nodeIds[p],
                                   block.data() + (static_cast<size_t>(p - first) * n + k) * 3, part);
    first = last;
    return true;
  };
  TextOutput &out = inPlace ? static_cast<TextOutput &>(*inPlace) : mtx.output();
  out.realLineBlocks(mtx.format(3), context.threads, next);
  return true;
}

}  // namespace

bool writeModeShapes(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kTMode)) return true;
  if (context.modes.empty() || context.nodes.empty() || QVB_NodeCount(context.body) == 0) {
    QVB_Error("Failed to allocate memory at line %d in file %s.\n", __LINE__, kSourceName);
    return false;
  }
  std::vector<int> nodeIds;
  for (int index : context.nodes) nodeIds.push_back(QVB_NodeID(context.body, index));
  return writeShapePart(context, mtx, kTMode, 0, nodeIds) &&
         writeShapePart(context, mtx, kRMode, 1, nodeIds);
}

}  // namespace qvb::convert
