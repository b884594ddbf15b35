#include "eigen_check.h"

#include <algorithm>
#include <cmath>

#include "kernels/blas_lapack.h"
#include "errors.h"
#include "message_number.h"

namespace qvb::ccx2qvb {
namespace {

constexpr std::size_t kRigid = 6;

// Column j of a row-major n x m matrix dotted with column k of a row-major n x w one.
double columnDot(const std::vector<double> &a, std::size_t m, std::size_t j, const std::vector<double> &b,
                 std::size_t w, std::size_t k, std::size_t n) {
  double sum = 0.0;
  for (std::size_t e = 0; e < n; ++e) sum += a[e * m + j] * b[e * w + k];
  return sum;
}

// How much of each mode lies in the rigid-body space, in the mass norm:
// b' A^-1 b with A = R' M R and b = R' M phi (1 for a rigid mode, 0 for a
// flexible one). A's eigen-decomposition copes with a model whose rigid
// motions are not independent (all nodes on a line).
struct RigidContent {
  std::vector<double> share;  // per mode
  double span = 0;            // relative M-norm of R outside the modes taken as rigid
};

RigidContent rigidContent(const SymmetricTriplets &M, const std::vector<double> &modes, std::size_t m,
                          const std::vector<double> &rigid) {
  const std::size_t n = M.order;
  const std::vector<double> massTimesRigid = multiply(M, rigid, kRigid);
  std::vector<double> A = innerProducts(rigid, massTimesRigid, n, kRigid);
  double w[kRigid], work[64];
  const int six = kRigid, lwork = 64;
  int info = 0;
  dsyev_("V", "U", &six, A.data(), &six, w, work, &lwork, &info, 1, 1);  // A's rows are now its eigenvectors
  RigidContent out;
  out.share.assign(m, 0.0);
  double trace = 0.0;
  for (double v : w) trace += std::max(v, 0.0);
  double captured = 0.0;
  for (std::size_t j = 0; j < m; ++j) {
    double b[kRigid], bb = 0.0;
    for (std::size_t k = 0; k < kRigid; ++k) {
      b[k] = columnDot(modes, m, j, massTimesRigid, kRigid, k, n);
      bb += b[k] * b[k];
    }
    for (std::size_t k = 0; k < kRigid && info == 0; ++k) {
      if (!(w[k] > 1e-12 * w[kRigid - 1])) continue;
      double q = 0.0;
      for (std::size_t r = 0; r < kRigid; ++r) q += A[k * kRigid + r] * b[r];
      out.share[j] += q * q / w[k];
    }
    if (out.share[j] > 0.5) captured += bb;
  }
  out.span = trace > 0.0 ? std::sqrt(std::max(0.0, trace - captured) / trace) : 1.0;
  return out;
}

}  // namespace

BasisCheck checkBasis(const SymmetricTriplets &K, const SymmetricTriplets &M, const std::vector<double> &modes,
                      std::size_t m, const std::vector<double> &rigid, bool eigenvectors) {
  const std::size_t n = K.order;
  BasisCheck check;
  const std::vector<double> stiffnessTimesModes = multiply(K, modes, m), massTimesModes = multiply(M, modes, m);
  const std::vector<double> G = innerProducts(modes, massTimesModes, n, m);
  for (std::size_t a = 0; a < m; ++a)
    for (std::size_t b = 0; b < m; ++b)
      check.orthonormality = std::max(check.orthonormality, std::fabs(G[a * m + b] - (a == b ? 1.0 : 0.0)));
  const double normK = rowSumNorm(K), normM = rowSumNorm(M);
  check.energyScale = normM > 0.0 ? normK / normM : 0.0;
  check.rayleigh.resize(m);
  for (std::size_t j = 0; j < m; ++j) {
    const double energy = columnDot(modes, m, j, stiffnessTimesModes, m, j, n), mass = G[j * m + j];
    check.rayleigh[j] = mass > 0.0 ? energy / mass : energy;
    if (!eigenvectors) continue;
    double worst = 0.0, size = 0.0;
    for (std::size_t e = 0; e < n; ++e) {
      worst = std::max(worst, std::fabs(stiffnessTimesModes[e * m + j] - check.rayleigh[j] * massTimesModes[e * m + j]));
      size = std::max(size, std::fabs(modes[e * m + j]));
    }
    const double scale = (normK + std::fabs(check.rayleigh[j]) * normM) * size;
    const double error = scale > 0.0 ? worst / scale : 1.0;
    if (error > check.residual || check.residualMode < 0) {
      check.residual = error;
      check.residualMode = static_cast<int>(j);
    }
  }
  const RigidContent content =
      rigid.empty() ? RigidContent{std::vector<double>(m, 0.0), 0.0} : rigidContent(M, modes, m, rigid);
  check.rigidSpan = content.span;
  for (std::size_t j = 0; j < m; ++j) {
    if (content.share[j] > 0.5) {
      ++check.rigidCount;
      check.rigidEnergy = std::max(check.rigidEnergy, std::fabs(check.rayleigh[j]));
    } else if (check.lowestFlexibleMode < 0 || check.rayleigh[j] < check.lowestFlexible) {
      check.lowestFlexible = check.rayleigh[j];
      check.lowestFlexibleMode = static_cast<int>(j);
    }
  }
  return check;
}

namespace {

void requireSolution(const BasisCheck &check, const std::string &what, const CheckTolerances &tolerances) {
  auto fail = [&](const std::string &why) { throw VerificationError(what + " " + why); };
  if (!(check.orthonormality <= tolerances.orthonormality))
    fail("are not mass-orthonormal: |Phi' M Phi - I| reaches " + messageNumber(check.orthonormality, 3) + " (at most " +
         messageNumber(tolerances.orthonormality, 3) + " allowed)");
  if (!(check.residual <= tolerances.residual))
    fail("do not solve K phi = lambda M phi: mode " + std::to_string(check.residualMode + 1) +
         " has a backward error of " + messageNumber(check.residual, 3) + " (at most " +
         messageNumber(tolerances.residual, 3) + " allowed)");
}

void requireEnergy(const BasisCheck &check, const std::string &what, const CheckTolerances &tolerances) {
  if (check.lowestFlexibleMode >= 0 && !(check.lowestFlexible > tolerances.zeroEnergy * check.energyScale))
    throw VerificationError(what + " have a flexible mode (" + std::to_string(check.lowestFlexibleMode + 1) +
                            ") with " + (check.lowestFlexible < 0 ? "a negative" : "no meaningful") + " eigenvalue (" +
                            messageNumber(check.lowestFlexible, 3) + ", against a stiffness scale of " +
                            messageNumber(check.energyScale, 3) + "): a mechanism, or a wrong solution");
}

}  // namespace

void requireHeldBasis(const BasisCheck &check, const std::string &what, const CheckTolerances &tolerances) {
  requireSolution(check, what, tolerances);
  requireEnergy(check, what, tolerances);
}

void requireFreeBodyBasis(const BasisCheck &check, const std::string &what, const CheckTolerances &tolerances) {
  auto fail = [&](const std::string &why) { throw VerificationError(what + " " + why); };
  requireSolution(check, what, tolerances);
  if (check.rigidCount != kRigid)
    fail("hold " + std::to_string(check.rigidCount) + " rigid-body modes where a free body has exactly 6" +
         (check.rigidCount < kRigid ? std::string(": a constraint holds the part in place")
                                    : std::string(": the part has loose pieces or a mechanism")));
  if (!(check.rigidSpan <= tolerances.rigidSpan))
    fail("do not span the six rigid-body motions: they miss " + messageNumber(check.rigidSpan, 3) +
         " of them (at most " + messageNumber(tolerances.rigidSpan, 3) + " allowed)");
  if (!(check.rigidEnergy <= tolerances.zeroEnergy * check.energyScale))
    fail("have rigid-body modes that carry strain energy (eigenvalue " + messageNumber(check.rigidEnergy, 3) +
         " against a stiffness scale of " + messageNumber(check.energyScale, 3) + ")");
  requireEnergy(check, what, tolerances);
}

}  // namespace qvb::ccx2qvb
