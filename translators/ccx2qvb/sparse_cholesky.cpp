#include "sparse_cholesky.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <cholmod.h>

#include "errors.h"
#include "platform/available_memory.h"

namespace qvb::ccx2qvb {
namespace {

// Below this reciprocal condition estimate the matrix is singular to working
// precision: a pivot that is only rounding noise, not stiffness.
constexpr double kSingularRcond = 1e-14;

// The factor's values and row indices (CHOLMOD's analysis knows their
// counts), plus a fifth for its workspace.
constexpr double kFactorOverhead = 1.2;

// Refuses, before it starts, a factorisation the machine cannot hold: it
// would push other programs into swap or be killed part way.
void requireMemoryFor(const cholmod_factor *L, const char *what) {
  const double need = kFactorOverhead * 8.0 * (static_cast<double>(L->xsize) + static_cast<double>(L->ssize));
  const double available = static_cast<double>(platform::availableMemory());
  if (available <= 0.0 || need <= available) return;
  char why[200];
  std::snprintf(why, sizeof why,
                " needs about %.1f GB for its factor (%.3g nonzeros by CHOLMOD's analysis), but only %.1f GB of "
                "memory are available",
                need / 1e9, static_cast<double>(L->xsize), available / 1e9);
  throw TranslationError(std::string("the factorisation of ") + what + why +
                         ": the model is too large for this machine (docs/ccx2qvb.md, Limits)");
}

// A + shift B straight into CHOLMOD's columns when A's entries run column by
// column with rows increasing (as the solver writes them and the tied
// matrices are built) and B has the same entries: no triplet sort, which
// took a third of a factorisation's time at 7e4 equations. Null otherwise.
cholmod_sparse *sortedColumns(const SymmetricTriplets &A, const SymmetricTriplets *B, double shift,
                              cholmod_common *cm) {
  const std::size_t nz = A.value.size();
  if (B != nullptr && (B->row != A.row || B->col != A.col)) return nullptr;
  for (std::size_t k = 1; k < nz; ++k)
    if (A.col[k] < A.col[k - 1] || (A.col[k] == A.col[k - 1] && A.row[k] <= A.row[k - 1])) return nullptr;
  cholmod_sparse *S =
      cholmod_l_allocate_sparse(A.order, A.order, std::max<std::size_t>(nz, 1), 1, 1, 1, CHOLMOD_REAL, cm);
  if (S == nullptr) return nullptr;
  auto *p = static_cast<SuiteSparse_long *>(S->p);
  auto *i = static_cast<SuiteSparse_long *>(S->i);
  auto *x = static_cast<double *>(S->x);
  std::size_t column = 0;
  p[0] = 0;
  for (std::size_t k = 0; k < nz; ++k) {
    while (column < A.col[k]) p[++column] = static_cast<SuiteSparse_long>(k);
    i[k] = static_cast<SuiteSparse_long>(A.row[k]);
    x[k] = A.value[k] + (B != nullptr ? shift * B->value[k] : 0.0);
  }
  while (column < A.order) p[++column] = static_cast<SuiteSparse_long>(nz);
  return S;
}

}  // namespace

struct SparseCholesky::State {
  cholmod_common common;
  cholmod_factor *factor = nullptr;
  State() {
    cholmod_l_start(&common);
    common.print = 0;  // failures are reported by the caller, with their cause
  }
  ~State() {
    cholmod_l_free_factor(&factor, &common);
    cholmod_l_finish(&common);
  }
};

SparseCholesky::SparseCholesky(const SymmetricTriplets &A, const SymmetricTriplets *B, double shift, const char *what)
    : state_(std::make_unique<State>()), order_(A.order) {
  cholmod_common *cm = &state_->common;
  cholmod_sparse *S = sortedColumns(A, B, shift, cm);
  if (S == nullptr) {
    const std::size_t count = A.value.size() + (B != nullptr ? B->value.size() : 0);
    cholmod_triplet *t =
        cholmod_l_allocate_triplet(order_, order_, std::max<std::size_t>(count, 1), 1, CHOLMOD_REAL, cm);
    if (t == nullptr) throw TranslationError(std::string("out of memory for ") + what);
    auto *ti = static_cast<SuiteSparse_long *>(t->i);
    auto *tj = static_cast<SuiteSparse_long *>(t->j);
    auto *tx = static_cast<double *>(t->x);
    std::size_t nz = 0;
    auto add = [&](const SymmetricTriplets &m, double factor) {
      for (std::size_t k = 0; k < m.value.size(); ++k, ++nz) {
        ti[nz] = static_cast<SuiteSparse_long>(m.row[k]);
        tj[nz] = static_cast<SuiteSparse_long>(m.col[k]);
        tx[nz] = factor * m.value[k];
      }
    };
    add(A, 1.0);
    if (B != nullptr) add(*B, shift);
    t->nnz = nz;
    S = cholmod_l_triplet_to_sparse(t, nz, cm);  // sums repeated entries
    cholmod_l_free_triplet(&t, cm);
  }
  state_->factor = S != nullptr ? cholmod_l_analyze(S, cm) : nullptr;
  if (state_->factor != nullptr && state_->factor->is_super) {
    try {
      requireMemoryFor(state_->factor, what);
    } catch (...) {
      cholmod_l_free_sparse(&S, cm);
      throw;
    }
  }
  const bool factored = state_->factor != nullptr && cholmod_l_factorize(S, state_->factor, cm) &&
                        cm->status == CHOLMOD_OK && state_->factor->minor == state_->factor->n;
  cholmod_l_free_sparse(&S, cm);
  const double rcond = factored ? cholmod_l_rcond(state_->factor, cm) : 0.0;
  if (!factored || rcond < kSingularRcond) {
    if (cm->status == CHOLMOD_OUT_OF_MEMORY) throw TranslationError(std::string("out of memory factorising ") + what);
    char why[96];
    std::snprintf(why, sizeof why, factored ? "reciprocal condition %.3g" : "a non-positive pivot at equation %.0f",
                  factored ? rcond : static_cast<double>(state_->factor ? state_->factor->minor + 1 : 0));
    throw TranslationError(std::string(what) + " is singular (" + why + ")");
  }
}

SparseCholesky::~SparseCholesky() = default;

void SparseCholesky::solve(const double *rhs, double *x, std::size_t columns) const {
  cholmod_common *cm = &state_->common;
  cholmod_dense *R = cholmod_l_allocate_dense(order_, columns, order_, CHOLMOD_REAL, cm);
  if (R == nullptr) throw TranslationError("out of memory for a sparse solve");
  std::memcpy(R->x, rhs, order_ * columns * sizeof(double));
  cholmod_dense *X = cholmod_l_solve(CHOLMOD_A, state_->factor, R, cm);
  cholmod_l_free_dense(&R, cm);
  if (X == nullptr) throw TranslationError("a sparse solve failed (CHOLMOD status " + std::to_string(cm->status) + ")");
  std::memcpy(x, X->x, order_ * columns * sizeof(double));
  cholmod_l_free_dense(&X, cm);
}

}  // namespace qvb::ccx2qvb
