// PRELOAD, MODLOAD and GENDAMP: loads and damping at the selected modes,
// written as the body returns them (no scale factor applies).
#include <cstdlib>

#include "convert/matrix_writers.h"
#include "qvb.h"

namespace qvb::convert {

namespace {

// Load arrays come from the process heap and are released with free.
struct HeapArray {
  double *data;
  explicit HeapArray(double *p) : data(p) {}
  ~HeapArray() { std::free(data); }
  HeapArray(const HeapArray &) = delete;
  HeapArray &operator=(const HeapArray &) = delete;
};

}  // namespace

bool writePreload(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kPreload)) return true;
  int ignored = 0;
  HeapArray preload(QVB_GetModalPreload(context.body, &ignored));
  if (preload.data == nullptr) return announcedMatrixMissing(kPreload);
  const std::vector<int> idx = selectedModeIndices(context);
  if (!mtx.matrixHeader(kPreload, -1, "FULL", "CORDER", static_cast<int>(idx.size()), 0, 1, 0)) return false;
  for (int index : idx) {
    mtx.zeroed(preload.data[index]);
    mtx.endLine();
  }
  return true;
}

bool writeModalLoads(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kModLoad)) return true;
  QVB_Handle body = context.body;
  const int cases = QVB_GetModalLoadCaseCount(body);
  if (cases <= 0) return announcedMatrixMissing(kModLoad);
  const std::vector<int> idx = selectedModeIndices(context);
  const int n = static_cast<int>(idx.size());
  const int rows = n + 6;
  if (!mtx.matrixHeader(kModLoad, -1, "FULL", "CORDER", rows, 0, cases, 0)) return false;

  // The first six entries of a load vector are its rigid-body part only when
  // the body has exactly six rigid-body modes ahead of the flexible ones.
  const int rigid = QVB_RigidBodyModeCount(body);
  if (rigid != 6) {
    QVB_Warning("Flexible body appears to contains %d rigid body modes rather than 6", rigid);
    QVB_Warning("This may have unexpected consequences when using modal loads");
  }
  std::vector<double> table(static_cast<size_t>(rows) * cases, 0.0);  // row-major: row, case
  for (int c = 0; c < cases; ++c) {
    int count = 0;
    HeapArray load(QVB_GetModalLoad(body, c, &count));
    if (load.data == nullptr) return announcedMatrixMissing(kModLoad);
    // A body with fewer than six modes hands out a shorter vector; what it
    // does not hold is zero, never read past its end.
    const auto value = [&](int i) { return i >= 0 && i < count ? load.data[i] : 0.0; };
    for (int r = 0; r < 6; ++r) table[static_cast<size_t>(r) * cases + c] = value(r);
    for (int k = 0; k < n; ++k) {
      table[static_cast<size_t>(6 + k) * cases + c] = value(idx[k]);
      if (idx[k] < rigid) QVB_Warning("A suspected rigid body mode detected among the selected modes");
    }
  }
  mtx.realLines(table, cases, true);
  return true;
}

bool writeGeneralizedDamping(ConversionContext &context, MtxWriter &mtx) {
  if (!context.plan.has(kGenDamp)) return true;
  const int n = static_cast<int>(context.modes.size());
  const int size = n + 6;
  std::vector<double> dense(static_cast<size_t>(size) * size, 0.0);
  std::vector<double *> rows(size);
  for (int r = 0; r < size; ++r) rows[r] = dense.data() + static_cast<size_t>(r) * size;
  if (QVB_GenDampPrincipalAndSelected(context.body, rows.data(), n, context.modes.data()) == 0) {
    // The header already counts GENDAMP (the body reported damping entries).
    // No damping is the same as a zero damping matrix, so the file stays
    // complete and means what the body holds.
    QVB_Warning("The generalized damping could not be read; GENDAMP is written as zero");
    std::fill(dense.begin(), dense.end(), 0.0);
  }
  return mtx.sparse(kGenDamp, size, size, dense);
}

}  // namespace qvb::convert
