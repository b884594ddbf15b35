#include "craig_bampton.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "kernels/blas_lapack.h"
#include "errors.h"
#include "sparse_cholesky.h"

namespace qvb::ccx2qvb {
namespace {

constexpr double kRigidRatio = 1e-6;
constexpr std::size_t kMaxRigidModes = 6;

[[noreturn]] void fail(const std::string &why) { throw TranslationError("Craig-Bampton reduction: " + why); }

void checkMatrix(const SymmetricTriplets &A, std::size_t order, const char *name) {
  if (A.order != order) fail(std::string(name) + " has order " + std::to_string(A.order) + ", K has " +
                             std::to_string(order));
  if (A.row.size() != A.value.size() || A.col.size() != A.value.size())
    fail(std::string(name) + ": row, column and value counts differ");
  for (std::size_t k = 0; k < A.value.size(); ++k)
    if (A.row[k] > A.col[k] || A.col[k] >= order)
      fail(std::string(name) + ": entry (" + std::to_string(A.row[k] + 1) + ", " + std::to_string(A.col[k] + 1) +
           ") is not in the upper triangle of a matrix of order " + std::to_string(order));
}

// Psi = -K_ii^-1 K_ib, column-major interior x boundary.
std::vector<double> constraintModes(const SymmetricTriplets &K, const std::vector<long> &interiorIndex,
                                    const std::vector<long> &boundaryIndex, std::size_t interiorCount,
                                    std::size_t boundaryCount, const SparseCholesky *interiorFactor) {
  SymmetricTriplets kii;
  kii.order = interiorCount;
  std::vector<double> rhs(interiorCount * boundaryCount, 0.0);
  for (std::size_t k = 0; k < K.value.size(); ++k) {
    const long ir = interiorIndex[K.row[k]], ic = interiorIndex[K.col[k]];
    if (ir >= 0 && ic >= 0) {
      if (interiorFactor != nullptr) continue;
      kii.row.push_back(static_cast<std::size_t>(ir));
      kii.col.push_back(static_cast<std::size_t>(ic));
      kii.value.push_back(K.value[k]);
    } else if (ir >= 0) {
      rhs[static_cast<std::size_t>(ir + boundaryIndex[K.col[k]] * static_cast<long>(interiorCount))] += K.value[k];
    } else if (ic >= 0) {
      rhs[static_cast<std::size_t>(ic + boundaryIndex[K.row[k]] * static_cast<long>(interiorCount))] += K.value[k];
    }
  }
  std::unique_ptr<SparseCholesky> own;
  if (interiorFactor == nullptr) {
    try {
      own = std::make_unique<SparseCholesky>(kii, nullptr, 0.0, "K_ii");
    } catch (const TranslationError &e) {
      fail(std::string("the interface does not hold the model (") + e.what() +
           "); an interface whose nodes lie on one line leaves a rotation free");
    }
    interiorFactor = own.get();
  } else if (interiorFactor->order() != interiorCount) {
    fail("the interior factor has order " + std::to_string(interiorFactor->order()) + ", the interior " +
         std::to_string(interiorCount) + " equations");
  }
  std::vector<double> psi(rhs.size());
  interiorFactor->solve(rhs.data(), psi.data(), boundaryCount);
  for (double &v : psi) v = -v;
  return psi;
}

}  // namespace

std::size_t leadingRigidModes(const std::vector<double> &lambda) {
  const std::size_t limit = std::min(kMaxRigidModes, lambda.empty() ? 0 : lambda.size() - 1);
  for (std::size_t r = limit; r > 0; --r) {
    bool rigid = lambda[r] > 0.0;
    for (std::size_t j = 0; j < r && rigid; ++j) rigid = std::fabs(lambda[j]) < kRigidRatio * lambda[r];
    if (rigid) return r;
  }
  return 0;
}

CraigBamptonBasis craigBampton(const SymmetricTriplets &K, const SymmetricTriplets &M,
                               const std::vector<std::size_t> &boundary, const FixedInterfaceModes &fixed,
                               const SparseCholesky *interiorFactor) {
  const std::size_t n = K.order;
  checkMatrix(K, n, "K");
  checkMatrix(M, n, "M");
  // Position of each equation in the boundary list or among the interior ones (-1: the other kind).
  std::vector<long> boundaryIndex(n, -1), interiorIndex(n, -1);
  for (std::size_t p = 0; p < boundary.size(); ++p) {
    if (boundary[p] >= n) fail("interface equation " + std::to_string(boundary[p] + 1) + " is beyond the " +
                               std::to_string(n) + " equations");
    if (boundaryIndex[boundary[p]] >= 0)
      fail("interface equation " + std::to_string(boundary[p] + 1) + " is listed twice");
    boundaryIndex[boundary[p]] = static_cast<long>(p);
  }
  std::size_t nI = 0;
  for (std::size_t e = 0; e < n; ++e)
    if (boundaryIndex[e] < 0) interiorIndex[e] = static_cast<long>(nI++);
  const std::size_t nB = boundary.size(), nF = fixed.lambda.size(), m = nB + nF;
  if (fixed.shapes.size() != nI * nF)
    fail("the fixed-interface modes hold " + std::to_string(fixed.shapes.size()) + " values, expected " +
         std::to_string(nF) + " modes x " + std::to_string(nI) + " interior equations");
  if (m == 0) fail("no interface equations and no fixed-interface modes");

  const std::vector<double> psi =
      nI > 0 ? constraintModes(K, interiorIndex, boundaryIndex, nI, nB, interiorFactor) : std::vector<double>();
  // T = [[I, 0], [Psi, Phi]] in the full equation order, row-major n x m.
  std::vector<double> T(n * m, 0.0);
  for (std::size_t e = 0; e < n; ++e) {
    double *row = &T[e * m];
    if (boundaryIndex[e] >= 0) {
      row[boundaryIndex[e]] = 1.0;
      continue;
    }
    const std::size_t i = static_cast<std::size_t>(interiorIndex[e]);
    for (std::size_t b = 0; b < nB; ++b) row[b] = psi[i + b * nI];
    for (std::size_t f = 0; f < nF; ++f) row[nB + f] = fixed.shapes[i + f * nI];
  }

  std::vector<double> reducedStiffness = innerProducts(T, multiply(K, T, m), n, m);
  std::vector<double> reducedMass = innerProducts(T, multiply(M, T, m), n, m);
  std::vector<double> lambda(m);
  {
    const int mi = static_cast<int>(m), one = 1;
    int info = 0, lwork = -1;
    double query = 0.0;
    dsygv_(&one, "V", "U", &mi, reducedStiffness.data(), &mi, reducedMass.data(), &mi, lambda.data(), &query, &lwork, &info, 1, 1);
    lwork = std::max(1, static_cast<int>(query));
    std::vector<double> work(static_cast<std::size_t>(lwork));
    dsygv_(&one, "V", "U", &mi, reducedStiffness.data(), &mi, reducedMass.data(), &mi, lambda.data(), work.data(), &lwork, &info, 1, 1);
    if (info > mi)
      fail("the reduced mass matrix is not positive definite (the fixed-interface modes are not independent)");
    if (info != 0) fail("the reduced eigenproblem did not converge (LAPACK info " + std::to_string(info) + ")");
  }
  // Body modes P = T V, row-major n x m (= column-major P^T, what BLAS computes as V^T T^T).
  std::vector<double> P(n * m, 0.0);
  {
    const int mi = static_cast<int>(m), ni = static_cast<int>(n);
    const double one = 1.0, zero = 0.0;
    // dsygv left the eigenvectors V in reducedStiffness.
    dgemm_("T", "N", &mi, &ni, &mi, &one, reducedStiffness.data(), &mi, T.data(), &mi, &zero, P.data(), &mi, 1, 1);
  }
  CraigBamptonBasis out;
  out.constraintModes.resize(n * nB);
  for (std::size_t e = 0; e < n; ++e) std::copy_n(&T[e * m], nB, &out.constraintModes[e * nB]);
  T.clear();
  T.shrink_to_fit();

  out.coefficients = std::move(reducedStiffness);
  out.order = n;
  out.lambda = lambda;
  out.rigidCount = leadingRigidModes(lambda);
  const std::vector<double> G = innerProducts(P, multiply(M, P, m), n, m);
  for (std::size_t a = 0; a < m; ++a)
    for (std::size_t b = 0; b < m; ++b)
      out.orthonormalityError = std::max(out.orthonormalityError, std::fabs(G[a * m + b] - (a == b ? 1.0 : 0.0)));
  if (out.rigidCount > 0) {
    double kmax = 0.0;
    for (double v : K.value) kmax = std::max(kmax, std::fabs(v));
    const std::vector<double> stiffnessTimesModes = multiply(K, P, m);
    for (std::size_t c = 0; c < out.rigidCount; ++c) {
      double force = 0.0, shape = 0.0;
      for (std::size_t e = 0; e < n; ++e) {
        force = std::max(force, std::fabs(stiffnessTimesModes[e * m + c]));
        shape = std::max(shape, std::fabs(P[e * m + c]));
      }
      if (kmax > 0.0 && shape > 0.0) out.rigidResidual = std::max(out.rigidResidual, force / (kmax * shape));
    }
  }
  out.modes.resize(n * m);
  for (std::size_t e = 0; e < n; ++e)
    for (std::size_t c = 0; c < m; ++c) out.modes[c * n + e] = P[e * m + c];
  return out;
}

}  // namespace qvb::ccx2qvb
