#include "shift_invert_lanczos.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "errors.h"
#include "sparse_cholesky.h"

extern "C" {
void dsaupd_(int *ido, const char *bmat, const int *n, const char *which, const int *nev, const double *tol,
             double *resid, const int *ncv, double *v, const int *ldv, int *iparam, int *ipntr, double *workd,
             double *workl, const int *lworkl, int *info, std::size_t, std::size_t);
void dseupd_(const int *rvec, const char *howmny, int *select, double *d, double *z, const int *ldz,
             const double *sigma, const char *bmat, const int *n, const char *which, const int *nev, const double *tol,
             double *resid, const int *ncv, double *v, const int *ldv, int *iparam, int *ipntr, double *workd,
             double *workl, const int *lworkl, int *info, std::size_t, std::size_t, std::size_t);
}

namespace qvb::ccx2qvb {
namespace {

// The shift, against the mesh's stiffness scale (norm K / norm M, near its
// largest eigenvalue): far enough below zero that K - sigma M factors
// cleanly despite the rigid motions, close enough that the lowest flexible
// modes stay well apart in the shifted-inverted spectrum.
constexpr double kRelativeShift = 1e-8;
constexpr int kMaxRestarts = 3000;
constexpr double kRitzTolerance = 1e-12;

void multiplyVector(const SymmetricTriplets &A, const double *x, double *y) {
  std::fill(y, y + A.order, 0.0);
  for (std::size_t k = 0; k < A.value.size(); ++k) {
    const std::size_t r = A.row[k], c = A.col[k];
    y[r] += A.value[k] * x[c];
    if (r != c) y[c] += A.value[k] * x[r];
  }
}

// ARPACK's working arrays for one run.
struct Workspace {
  int n, nev, ncv, lworkl;
  std::vector<double> resid, v, workd, workl;
  int iparam[11] = {0}, ipntr[14] = {0};
  Workspace(int order, int count)
      : n(order),
        nev(count),
        ncv(std::min(order, std::max(2 * count + 1, count + 20))),
        lworkl(ncv * (ncv + 8)),
        resid(static_cast<std::size_t>(order)),
        v(static_cast<std::size_t>(order) * ncv),
        workd(3 * static_cast<std::size_t>(order)),
        workl(static_cast<std::size_t>(lworkl)) {
    iparam[0] = 1;             // exact shifts
    iparam[2] = kMaxRestarts;  // restarts allowed
    iparam[6] = 3;             // shift-invert mode for the generalized problem
  }
};

}  // namespace

LanczosSolution lowestEigenpairs(const SymmetricTriplets &K, const SymmetricTriplets &M, int count) {
  const int n = static_cast<int>(K.order);
  if (count < 1 || count >= n)
    throw TranslationError("cannot find " + std::to_string(count) + " modes of a model of " + std::to_string(n) +
                           " equations");
  const double sigma = -kRelativeShift * rowSumNorm(K) / rowSumNorm(M);
  const SparseCholesky factor(K, &M, -sigma, "the shifted stiffness K - sigma M");
  return lowestEigenpairs(factor, sigma, M, count);
}

LanczosSolution lowestEigenpairs(const SparseCholesky &factor, double sigma, const SymmetricTriplets &M, int count) {
  const int n = static_cast<int>(M.order);
  if (count < 1 || count >= n || factor.order() != M.order)
    throw TranslationError("cannot find " + std::to_string(count) + " modes of a model of " + std::to_string(n) +
                           " equations");
  Workspace w(n, count);
  // Ritz residuals below 1e-12 of the shifted-inverted eigenvalues: far below
  // the checks' 1e-6 backward error, and a restart fewer than machine
  // precision (54 instead of 68 solves for 26 modes at 7e4 equations).
  const double tol = kRitzTolerance;
  int ido = 0, info = 0;
  std::vector<double> scratch(static_cast<std::size_t>(n));
  for (;;) {
    dsaupd_(&ido, "G", &w.n, "LM", &w.nev, &tol, w.resid.data(), &w.ncv, w.v.data(), &w.n, w.iparam, w.ipntr,
            w.workd.data(), w.workl.data(), &w.lworkl, &info, 1, 2);
    double *x = &w.workd[static_cast<std::size_t>(w.ipntr[0] - 1)];
    double *y = &w.workd[static_cast<std::size_t>(w.ipntr[1] - 1)];
    if (ido == -1) {  // y = (K - sigma M)^-1 M x
      multiplyVector(M, x, scratch.data());
      factor.solve(scratch.data(), y, 1);
    } else if (ido == 1) {  // the same, M x given
      factor.solve(&w.workd[static_cast<std::size_t>(w.ipntr[2] - 1)], y, 1);
    } else if (ido == 2) {
      multiplyVector(M, x, y);
    } else {
      break;
    }
  }
  if (info != 0)
    throw TranslationError("our own eigen-solution did not converge (ARPACK dsaupd info " + std::to_string(info) + ")");
  std::vector<int> select(static_cast<std::size_t>(w.ncv));
  std::vector<double> values(static_cast<std::size_t>(count)), vectors(static_cast<std::size_t>(n) * count);
  const int wantVectors = 1;
  dseupd_(&wantVectors, "A", select.data(), values.data(), vectors.data(), &w.n, &sigma, "G", &w.n, "LM", &w.nev, &tol,
          w.resid.data(), &w.ncv, w.v.data(), &w.n, w.iparam, w.ipntr, w.workd.data(), w.workl.data(), &w.lworkl, &info,
          1, 1, 2);
  if (info != 0)
    throw TranslationError("our own eigen-solution failed (ARPACK dseupd info " + std::to_string(info) + ")");
  const int converged = w.iparam[4];
  if (converged < count)
    throw TranslationError("our own eigen-solution found " + std::to_string(converged) + " of " +
                           std::to_string(count) + " modes");
  std::vector<std::size_t> order(static_cast<std::size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
  LanczosSolution out;
  out.modes.resize(vectors.size());
  for (std::size_t j = 0; j < order.size(); ++j) {
    out.eigenvalues.push_back(values[order[j]]);
    for (std::size_t e = 0; e < static_cast<std::size_t>(n); ++e)
      out.modes[e * order.size() + j] = vectors[order[j] * static_cast<std::size_t>(n) + e];
  }
  return out;
}

}  // namespace qvb::ccx2qvb
