// The reduction against problems whose answer is known: a massless interior
// (Guyan is then exact), all interior modes kept (the full eigen-solution),
// and fewer modes (Rayleigh-Ritz bounds from above).
#include "craig_bampton.h"
#include "eigen_check.h"
#include "errors.h"
#include "rigid_motions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "kernels/blas_lapack.h"

namespace {

using qvb::ccx2qvb::craigBampton;
using qvb::ccx2qvb::FixedInterfaceModes;
using qvb::ccx2qvb::SymmetricTriplets;

struct Dense {
  std::size_t n;
  std::vector<double> a;  // column-major, symmetric
  explicit Dense(std::size_t order) : n(order), a(order * order, 0.0) {}
  double &operator()(std::size_t r, std::size_t c) { return a[r + c * n]; }
  double operator()(std::size_t r, std::size_t c) const { return a[r + c * n]; }
  void addSymmetric(std::size_t r, std::size_t c, double v) {
    (*this)(r, c) += v;
    if (r != c) (*this)(c, r) += v;
  }
  SymmetricTriplets upper() const {
    SymmetricTriplets t;
    t.order = n;
    for (std::size_t c = 0; c < n; ++c)
      for (std::size_t r = 0; r <= c; ++r)
        if ((*this)(r, c) != 0.0) {
          t.row.push_back(r);
          t.col.push_back(c);
          t.value.push_back((*this)(r, c));
        }
    return t;
  }
  Dense block(const std::vector<std::size_t> &keep) const {
    Dense b(keep.size());
    for (std::size_t c = 0; c < keep.size(); ++c)
      for (std::size_t r = 0; r < keep.size(); ++r) b(r, c) = (*this)(keep[r], keep[c]);
    return b;
  }
};

// Dense K x = lambda M x; vectors come back column-major in `vectors`.
std::vector<double> eigen(Dense K, Dense M, std::vector<double> *vectors = nullptr) {
  const int n = static_cast<int>(K.n), one = 1;
  int info = 0, lwork = 64 * n;
  std::vector<double> w(K.n), work(static_cast<std::size_t>(lwork));
  dsygv_(&one, "V", "U", &n, K.a.data(), &n, M.a.data(), &n, w.data(), work.data(), &lwork, &info, 1, 1);
  EXPECT_EQ(info, 0);
  if (vectors) *vectors = K.a;
  return w;
}

// A 3 x 2 x 2 grid of nodes joined by bars to every neighbour within a cube's
// body diagonal: a stiff truss whose null space is the six rigid motions.
// Bar stiffnesses and consistent masses vary so no frequency repeats.
struct Truss {
  std::vector<double> x;
  Dense K{36}, M{36};
  Truss() {
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 2; ++j)
        for (int k = 0; k < 2; ++k) x.insert(x.end(), {0.5 * i, 0.4 * j, 0.3 * k});
    for (std::size_t p = 0; p < 12; ++p)
      for (std::size_t q = p + 1; q < 12; ++q) {
        double d[3], length = 0.0;
        for (int c = 0; c < 3; ++c) {
          d[c] = x[3 * q + c] - x[3 * p + c];
          length += d[c] * d[c];
        }
        length = std::sqrt(length);
        if (length > 0.71) continue;
        const double axial = 2.0e7 * (1.0 + 0.37 * ((p + 2 * q) % 5)) / length;
        const double mass = 0.8 * (1.0 + 0.21 * ((3 * p + q) % 4)) * length / 6.0;
        for (int a = 0; a < 3; ++a)
          for (int b = 0; b < 3; ++b) {
            const double k = axial * d[a] * d[b] / (length * length);
            K(3 * p + a, 3 * p + b) += k;
            K(3 * q + a, 3 * q + b) += k;
            K(3 * p + a, 3 * q + b) -= k;
            K(3 * q + a, 3 * p + b) -= k;
          }
        for (int a = 0; a < 3; ++a) {
          M(3 * p + a, 3 * p + a) += 2.0 * mass;
          M(3 * q + a, 3 * q + a) += 2.0 * mass;
          M.addSymmetric(3 * p + a, 3 * q + a, mass);
        }
      }
  }
  static std::vector<std::size_t> equationsOf(std::initializer_list<std::size_t> nodes) {
    std::vector<std::size_t> e;
    for (std::size_t n : nodes) e.insert(e.end(), {3 * n, 3 * n + 1, 3 * n + 2});
    return e;
  }
  // The solver's part: the first `count` modes of the model held at `boundary`.
  FixedInterfaceModes fixedModes(const std::vector<std::size_t> &boundary, std::size_t count) const {
    std::vector<std::size_t> interior;
    for (std::size_t e = 0; e < K.n; ++e)
      if (std::find(boundary.begin(), boundary.end(), e) == boundary.end()) interior.push_back(e);
    std::vector<double> vectors;
    const std::vector<double> w = eigen(K.block(interior), M.block(interior), &vectors);
    FixedInterfaceModes f;
    f.lambda.assign(w.begin(), w.begin() + static_cast<long>(count));
    f.shapes.assign(vectors.begin(), vectors.begin() + static_cast<long>(count * interior.size()));
    for (double &v : f.shapes) v *= 3.0;  // any normalisation will do
    return f;
  }
};

TEST(CraigBampton, GuyanIsExactWhenOnlyTheInterfaceCarriesMass) {
  // Masses 2 and 3 at the ends of three springs in series; the boundary is the two ends.
  const double k[3] = {1e3, 2e3, 4e3}, m0 = 2.0, m3 = 3.0;
  Dense K(4), M(4);
  for (std::size_t s = 0; s < 3; ++s) {
    K(s, s) += k[s];
    K(s + 1, s + 1) += k[s];
    K.addSymmetric(s, s + 1, -k[s]);
  }
  M(0, 0) = m0;
  M(3, 3) = m3;
  const auto cb = craigBampton(K.upper(), M.upper(), {3, 0}, {});

  const double compliance = 1 / k[0] + 1 / k[1] + 1 / k[2];
  ASSERT_EQ(cb.lambda.size(), 2u);
  EXPECT_EQ(cb.rigidCount, 1u);
  EXPECT_LT(std::fabs(cb.lambda[0]), 1e-12);
  EXPECT_NEAR(cb.lambda[1], (1 / m0 + 1 / m3) / compliance, 1e-12 * cb.lambda[1]);
  // Rigid mode: the same unit-mass translation everywhere, interior included.
  const double sign = cb.modes[0] > 0 ? 1.0 : -1.0;
  for (std::size_t e = 0; e < 4; ++e) EXPECT_NEAR(sign * cb.modes[e], 1 / std::sqrt(m0 + m3), 1e-12);
  // Flexible mode: ends in momentum balance, interior along the spring compliances.
  const double *f = &cb.modes[4];
  const double a = std::sqrt(m3 / (m0 * (m0 + m3))), b = -m0 * a / m3, s = f[0] > 0 ? 1.0 : -1.0;
  EXPECT_NEAR(s * f[0], a, 1e-12);
  EXPECT_NEAR(s * f[3], b, 1e-12);
  EXPECT_NEAR(s * f[1], a + (b - a) * (1 / k[0]) / compliance, 1e-12);
  EXPECT_NEAR(s * f[2], a + (b - a) * (1 / k[0] + 1 / k[1]) / compliance, 1e-12);
}

TEST(CraigBampton, InteriorModesBoundTheFrequenciesOrGiveTheFullEigenSolution) {
  const Truss truss;
  const std::vector<double> exact = eigen(truss.K, truss.M);
  // Three nodes not on one line hold the truss.
  std::vector<std::size_t> boundary = Truss::equationsOf({0, 9, 3});
  for (std::size_t kept : {0u, 4u}) {
    const auto cb = craigBampton(truss.K.upper(), truss.M.upper(), boundary, truss.fixedModes(boundary, kept));
    ASSERT_EQ(cb.lambda.size(), 9u + kept);
    EXPECT_EQ(cb.rigidCount, 6u) << kept << " interior modes";
    EXPECT_LT(cb.orthonormalityError, 1e-12);
    for (std::size_t i = 6; i < cb.lambda.size(); ++i)
      EXPECT_GE(cb.lambda[i], exact[i] * (1 - 1e-12)) << kept << " interior modes, mode " << i;
  }
  const auto cb = craigBampton(truss.K.upper(), truss.M.upper(), boundary, truss.fixedModes(boundary, 27));

  ASSERT_EQ(cb.lambda.size(), 36u);
  EXPECT_EQ(cb.rigidCount, 6u);
  EXPECT_LT(cb.rigidResidual, 1e-11);
  EXPECT_LT(cb.orthonormalityError, 1e-12);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_LT(std::fabs(cb.lambda[i]), 1e-9 * exact[6]);
  for (std::size_t i = 6; i < 36; ++i) EXPECT_NEAR(cb.lambda[i], exact[i], 1e-9 * exact[i]) << "mode " << i;
  // Each column is an eigenvector: K phi = lambda M phi.
  for (std::size_t c = 6; c < 36; ++c) {
    double worst = 0.0;
    for (std::size_t r = 0; r < 36; ++r) {
      double residual = 0.0;
      for (std::size_t e = 0; e < 36; ++e)
        residual += (truss.K(r, e) - cb.lambda[c] * truss.M(r, e)) * cb.modes[c * 36 + e];
      worst = std::max(worst, std::fabs(residual));
    }
    EXPECT_LT(worst, 1e-8 * cb.lambda[c]) << "mode " << c;
  }
  // The interface's order is bookkeeping only.
  std::reverse(boundary.begin(), boundary.end());
  const auto reversed = craigBampton(truss.K.upper(), truss.M.upper(), boundary, truss.fixedModes(boundary, 27));
  for (std::size_t i = 6; i < 36; ++i) EXPECT_NEAR(reversed.lambda[i], cb.lambda[i], 1e-9 * cb.lambda[i]);
}

std::string failure(const SymmetricTriplets &K, const SymmetricTriplets &M, const std::vector<std::size_t> &boundary,
                    const FixedInterfaceModes &fixed) {
  try {
    craigBampton(K, M, boundary, fixed);
  } catch (const std::runtime_error &e) {
    return e.what();
  }
  return "no error";
}

TEST(CraigBampton, RefusesWhatCannotBeReduced) {
  const Truss truss;
  const SymmetricTriplets K = truss.K.upper(), M = truss.M.upper();
  // Two nodes leave the rotation about the line through them free.
  const std::string singular = failure(K, M, Truss::equationsOf({0, 11}), {});
  EXPECT_NE(singular.find("does not hold the model"), std::string::npos) << singular;
  EXPECT_NE(failure(K, M, {0, 1, 0}, {}).find("equation 1 is listed twice"), std::string::npos);
  EXPECT_NE(failure(K, M, {36}, {}).find("equation 37 is beyond"), std::string::npos);
  EXPECT_NE(failure(K, M, Truss::equationsOf({0, 9, 3}), {{1.0}, {1.0, 2.0}}).find("expected 1 modes x 27"),
            std::string::npos);
  SymmetricTriplets lower = K;
  const std::size_t offDiagonal = lower.row.size() - 2;  // the last column's entry above the diagonal
  ASSERT_LT(lower.row[offDiagonal], lower.col[offDiagonal]);
  std::swap(lower.row[offDiagonal], lower.col[offDiagonal]);
  EXPECT_NE(failure(lower, M, Truss::equationsOf({0, 9, 3}), {}).find("upper triangle"), std::string::npos);
}

TEST(CraigBampton, CountsRigidModesAsASolverReportsThem) {
  // Tiny eigenvalues of either sign up to 2e-4, as an eigen solver gives a free solid's rigid motions.
  EXPECT_EQ(qvb::ccx2qvb::leadingRigidModes({-1e-5, 2e-4, 3e-10, -2e-6, 1e-4, 5e-5, 4.4e5, 1.7e6}), 6u);
  EXPECT_EQ(qvb::ccx2qvb::leadingRigidModes({0.0, 1e-9, 10.0, 20.0}), 2u);
  EXPECT_EQ(qvb::ccx2qvb::leadingRigidModes({1.0, 2.0, 3.0}), 0u);
}

// The checks of a modal basis on the truss, whose modes are known exactly:
// its own eigenvectors pass; each kind of wrong basis fails with the check
// that catches it named.
TEST(BasisChecks, PassRightModesAndNameEachFault) {
  const Truss truss;
  std::vector<qvb::ccx2qvb::Dof> dofs;
  for (int node = 1; node <= 12; ++node)
    for (int d = 1; d <= 3; ++d) dofs.push_back({node, d});
  const double centre[3] = {0.5, 0.2, 0.15};
  const std::vector<double> rigid = qvb::ccx2qvb::rigidMotions(
      dofs,
      [&](int node) {
        return qvb::ccx2qvb::NodeRole{&truss.x[3 * static_cast<std::size_t>(node - 1)], false};
      },
      centre, 1.0);
  std::vector<double> vectors;
  const std::vector<double> lambda = eigen(truss.K, truss.M, &vectors);
  const std::size_t n = 36, m = 10;
  // Row-major n x m: the lowest m modes, optionally changed.
  auto basis = [&](const std::function<void(std::vector<double> &)> &change) {
    std::vector<double> rows(n * m);
    for (std::size_t j = 0; j < m; ++j)
      for (std::size_t e = 0; e < n; ++e) rows[e * m + j] = vectors[j * n + e];
    change(rows);
    return rows;
  };
  const SymmetricTriplets K = truss.K.upper(), M = truss.M.upper();
  auto failure = [&](const std::vector<double> &rows) -> std::string {
    try {
      qvb::ccx2qvb::requireFreeBodyBasis(qvb::ccx2qvb::checkBasis(K, M, rows, m, rigid, true), "the modes");
    } catch (const qvb::ccx2qvb::VerificationError &e) {
      return e.what();
    }
    return "passed";
  };
  const auto right = qvb::ccx2qvb::checkBasis(K, M, basis([](std::vector<double> &) {}), m, rigid, true);
  EXPECT_EQ(right.rigidCount, 6u);
  EXPECT_LT(right.orthonormality, 1e-12);
  EXPECT_LT(right.residual, 1e-12);
  EXPECT_LT(right.rigidSpan, 1e-7);
  EXPECT_NEAR(right.rayleigh[8], lambda[8], 1e-12 * lambda[8]);
  EXPECT_EQ(failure(basis([](std::vector<double> &) {})), "passed");
  // A spurious generalized mass, two modes mixed, a rigid mode replaced by
  // a flexible one (five left), and a mode of the wrong sign of energy.
  EXPECT_NE(failure(basis([&](std::vector<double> &r) {
              for (std::size_t e = 0; e < n; ++e) r[e * m + 7] *= 3;
            })).find("are not mass-orthonormal"),
            std::string::npos);
  EXPECT_NE(failure(basis([&](std::vector<double> &r) {
              for (std::size_t e = 0; e < n; ++e) {
                const double a = r[e * m + 7], b = r[e * m + 8];
                r[e * m + 7] = (a + b) / std::sqrt(2.0), r[e * m + 8] = (a - b) / std::sqrt(2.0);
              }
            })).find("do not solve K phi = lambda M phi: mode "),
            std::string::npos);
  EXPECT_NE(failure(basis([&](std::vector<double> &r) {
              for (std::size_t e = 0; e < n; ++e) r[e * m + 0] = vectors[10 * n + e];
            })).find("hold 5 rigid-body modes"),
            std::string::npos);
}

// A rotation node's unknowns are the rotation itself: a rigid rotation by
// an angle of 1 / length moves the nodes by (e x (x - centre)) / length.
TEST(BasisChecks, RigidRotationsAgreeAtNodesAndRotationNodes) {
  const double position[3] = {3.0, 5.0, 7.0}, centre[3] = {1.0, 1.0, 1.0}, length = 4.0;
  const std::vector<qvb::ccx2qvb::Dof> dofs = {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {2, 3}};
  const std::vector<double> r = qvb::ccx2qvb::rigidMotions(
      dofs,
      [&](int node) {
        return qvb::ccx2qvb::NodeRole{position, node == 2};
      },
      centre, length);
  // Rotation about z (column 5): u = (-(y - cy), x - cx, 0) / length; the rotation node holds 1 / length about z.
  EXPECT_DOUBLE_EQ(r[0 * 6 + 5], -4.0 / length);
  EXPECT_DOUBLE_EQ(r[1 * 6 + 5], 2.0 / length);
  EXPECT_DOUBLE_EQ(r[2 * 6 + 5], 0.0);
  EXPECT_DOUBLE_EQ(r[5 * 6 + 5], 1.0 / length);
  EXPECT_DOUBLE_EQ(r[3 * 6 + 5], 0.0);
  EXPECT_DOUBLE_EQ(r[3 * 6 + 0], 0.0);  // a rotation node does not translate
}

}  // namespace
