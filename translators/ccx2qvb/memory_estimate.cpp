#include "memory_estimate.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <cholmod.h>

#include "errors.h"
#include "platform/available_memory.h"

namespace qvb::ccx2qvb {
namespace {

// Bytes of one stored entry: row, column and value.
constexpr double kTripletBytes = 24.0;
// The factor's values and row indices plus a fifth for its workspace, as
// sparse_cholesky.cpp counts them.
constexpr double kFactorBytes = 8.0 * 1.2;

// The node graph's upper triangle (node pairs that share an element),
// column by column: CHOLMOD's pattern of K with one entry per node pair.
cholmod_sparse *nodeGraph(const Model &model, cholmod_common *cm, double *pairs) {
  const size_t n = model.nodeIds.size();
  std::vector<std::vector<int32_t>> above(n);
  std::vector<int32_t> element;
  for (size_t e = 0; e + 1 < model.elementStart.size(); ++e) {
    element.clear();
    for (int64_t k = model.elementStart[e]; k < model.elementStart[e + 1]; ++k)
      element.push_back(model.nodeIndex.at(model.connectivity[static_cast<size_t>(k)]));
    for (int32_t i : element)
      for (int32_t j : element)
        if (i <= j) above[static_cast<size_t>(j)].push_back(i);
  }
  size_t count = 0;
  for (std::vector<int32_t> &rows : above) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    count += rows.size();
  }
  *pairs = static_cast<double>(count);
  cholmod_sparse *S = cholmod_l_allocate_sparse(n, n, std::max<size_t>(count, 1), 1, 1, 1, CHOLMOD_PATTERN, cm);
  if (S == nullptr) return nullptr;
  auto *p = static_cast<SuiteSparse_long *>(S->p);
  auto *i = static_cast<SuiteSparse_long *>(S->i);
  size_t k = 0;
  for (size_t j = 0; j < n; ++j) {
    p[j] = static_cast<SuiteSparse_long>(k);
    for (int32_t r : above[j]) i[k++] = r;
    std::vector<int32_t>().swap(above[j]);
  }
  p[n] = static_cast<SuiteSparse_long>(k);
  return S;
}

}  // namespace

MemoryEstimate estimateMemory(const PreparedModel &prepared) {
  MemoryEstimate estimate;
  cholmod_common common;
  cholmod_l_start(&common);
  common.print = 0;
  double pairs = 0;
  cholmod_sparse *S = nodeGraph(prepared.model, &common, &pairs);
  cholmod_factor *L = S != nullptr ? cholmod_l_analyze(S, &common) : nullptr;
  // Three translations a node: a node pair is a 3 x 3 block (6 entries on the diagonal).
  const double nodes = static_cast<double>(prepared.model.nodeIds.size());
  const double entries = 9.0 * pairs - 3.0 * nodes;
  // The mesh's K and M, and with interfaces their tied copies and interior blocks.
  estimate.matrices = kTripletBytes * entries * (prepared.interfaces.empty() ? 2.0 : 6.0);
  // Values grow with the blocks' nine entries, row indices with their three rows.
  if (L != nullptr)
    estimate.factor =
        kFactorBytes *
        (L->is_super ? 9.0 * static_cast<double>(L->xsize) + 3.0 * static_cast<double>(L->ssize) : 9.0 * common.lnz);
  cholmod_l_free_factor(&L, &common);
  cholmod_l_free_sparse(&S, &common);
  cholmod_l_finish(&common);
  return estimate;
}

double requireMemory(const PreparedModel &prepared) {
  const double available = static_cast<double>(platform::availableMemory());
  const MemoryEstimate need = estimateMemory(prepared);
  if (available <= 0.0 || need.total() <= available) return need.total();
  char why[240];
  std::snprintf(why, sizeof why,
                "the model needs about %.1f GB of memory (%.1f GB for the factorisation, %.1f GB for the matrices), "
                "but only %.1f GB are available",
                need.total() / 1e9, need.factor / 1e9, need.matrices / 1e9, available / 1e9);
  throw TranslationError(std::string(why) +
                         ": the model is too large for this machine (docs/ccx2qvb.md, Limits); nothing was run");
}

}  // namespace qvb::ccx2qvb
