// The Gram-matrix invariants against the per-pair reference: same layout,
// same values within rounding, for one-sign and mixed-sign masses, whole or
// fetched in groups under a small memory budget, on one thread or several.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "kernels/gram_invariants.h"
#include "reference/invariants_5_9.h"

namespace qvb::kernels {
namespace {

struct Body {
  std::vector<double> masses, shapes;
  int modes;
};

Body randomBody(size_t nodes, int modes, bool mixedSigns, unsigned seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  Body body{std::vector<double>(nodes), std::vector<double>(nodes * 3 * modes), modes};
  for (size_t p = 0; p < nodes; ++p) {
    const double m = 0.5 + std::fabs(unit(random)) * 3.0;
    // Some zero masses too: those nodes must simply add nothing.
    body.masses[p] = p % 17 == 3 ? 0.0 : (mixedSigns && p % 3 == 0 ? -m : m);
  }
  for (double &v : body.shapes) v = unit(random) * 1e-2;
  return body;
}

// Rounding bound of one pair's sums: sum_p |m_p| |a_p| |b_p|.
std::vector<double> pairScales(const Body &body) {
  const size_t nodes = body.masses.size(), n = body.modes;
  std::vector<double> scale(n * n, 0.0);
  for (size_t j = 0; j < n; ++j)
    for (size_t k = 0; k < n; ++k)
      for (size_t p = 0; p < nodes; ++p) {
        const double *a = &body.shapes[(j * nodes + p) * 3], *b = &body.shapes[(k * nodes + p) * 3];
        scale[j * n + k] += std::fabs(body.masses[p]) * std::hypot(a[0], a[1], a[2]) * std::hypot(b[0], b[1], b[2]);
      }
  return scale;
}

void expectMatchesReference(const Body &body, const std::vector<double> &i5, const std::vector<double> &i9) {
  std::vector<double> ref5, ref9;
  reference::computeInvariants5And9(body.masses, body.shapes, body.modes, ref5, ref9);
  ASSERT_EQ(i5.size(), ref5.size());
  ASSERT_EQ(i9.size(), ref9.size());
  const size_t n = body.modes;
  const std::vector<double> scale = pairScales(body);
  for (size_t j = 0; j < n; ++j)
    for (size_t k = 0; k < n; ++k) {
      const double tolerance = 1e-12 * scale[j * n + k];
      for (int r = 0; r < 3; ++r) {
        const size_t at = (j * 3 + r) * n + k;
        ASSERT_NEAR(i5[at], ref5[at], tolerance) << "I5 j=" << j << " r=" << r << " k=" << k;
      }
      for (int e = 0; e < 9; ++e) {
        const size_t at = (j * n + k) * 9 + e;
        ASSERT_NEAR(i9[at], ref9[at], tolerance) << "I9 j=" << j << " k=" << k << " e=" << e;
      }
    }
  // The symmetries hold exactly, not just within rounding.
  for (size_t j = 0; j < n; ++j)
    for (size_t k = 0; k < n; ++k) {
      for (int r = 0; r < 3; ++r) EXPECT_EQ(i5[(j * 3 + r) * n + k], -i5[(k * 3 + r) * n + j]);
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(i9[(j * n + k) * 9 + 3 * r + c], i9[(k * n + j) * 9 + 3 * c + r]);
    }
}

struct Case {
  size_t nodes;
  int modes;
  bool mixedSigns;
};

class FastInvariants : public testing::TestWithParam<Case> {};

TEST_P(FastInvariants, MatchReferenceWholeAndStreamed) {
  const Case c = GetParam();
  const Body body = randomBody(c.nodes, c.modes, c.mixedSigns, 1000u + c.nodes + c.modes);
  std::vector<double> i5, i9;
  std::vector<int> progress;
  computeInvariants5And9Fast(body.masses, body.shapes.data(), body.modes, i5, i9,
                             [&](int j) { progress.push_back(j); });
  expectMatchesReference(body, i5, i9);
  std::vector<int> everyMode(c.modes);
  for (int j = 0; j < c.modes; ++j) everyMode[j] = j;
  EXPECT_EQ(progress, everyMode);

  // Read where they lie, as a body keeps them (rotations beside each node's
  // translations): the same bits.
  std::vector<double> kept(body.shapes.size() * 2, -7.0);
  std::vector<const double *> modes;
  for (size_t v = 0; v < body.shapes.size(); ++v) kept[v / 3 * 6 + v % 3] = body.shapes[v];
  for (int j = 0; j < c.modes; ++j) modes.push_back(kept.data() + static_cast<size_t>(j) * c.nodes * 6);
  std::vector<double> w5, w9;
  computeInvariants5And9Where(body.masses, modes, 6, w5, w9, {}, 2);
  EXPECT_TRUE(w5 == i5 && w9 == i9) << "shapes read in place give other bits";

  // Budgets that hold everything, a few modes (uneven groups) and less than
  // one mode (groups of one).
  const size_t modeBytes = c.nodes * 3 * sizeof(double);
  for (size_t budget : {modeBytes * c.modes, modeBytes * 5, size_t{1}}) {
    SCOPED_TRACE(budget);
    std::vector<int> fetched, streamedProgress;
    const bool ok = computeInvariants5And9Streamed(
        body.masses, body.modes,
        [&](int j, double *shape) {
          fetched.push_back(j);
          std::copy_n(body.shapes.data() + j * modeBytes / sizeof(double), c.nodes * 3, shape);
          return true;
        },
        budget, i5, i9, [&](int j) { streamedProgress.push_back(j); });
    ASSERT_TRUE(ok);
    expectMatchesReference(body, i5, i9);
    EXPECT_EQ(streamedProgress, everyMode);
    if (budget >= modeBytes * c.modes) {
      EXPECT_EQ(fetched, everyMode);  // each mode once
      EXPECT_TRUE(i5 == w5 && i9 == w9) << "one group streamed gives other bits than in place";
    }
    // On more threads: the same bits, and progress still on this thread.
    for (unsigned threads : {2u, 3u}) {
      std::vector<double> t5, t9;
      std::vector<int> threadedProgress;
      const auto caller = std::this_thread::get_id();
      ASSERT_TRUE(computeInvariants5And9Streamed(
          body.masses, body.modes,
          [&](int j, double *shape) {
            std::copy_n(body.shapes.data() + j * modeBytes / sizeof(double), c.nodes * 3, shape);
            return true;
          },
          budget, t5, t9,
          [&](int j) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            threadedProgress.push_back(j);
          },
          threads));
      EXPECT_TRUE(t5 == i5 && t9 == i9) << threads << " threads";
      EXPECT_EQ(threadedProgress, everyMode);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FastInvariants,
                         testing::Values(Case{1, 1, false}, Case{2000, 1, true}, Case{3001, 7, false},
                                         Case{3001, 7, true}, Case{700, 23, true}, Case{20000, 4, false},
                                         Case{60000, 10, true}));

TEST(FastInvariantsEdges, NoModesGiveEmptyArraysAndFailedFetchStops) {
  std::vector<double> i5{1.0}, i9{1.0};
  computeInvariants5And9Fast({1.0, 2.0}, nullptr, 0, i5, i9);
  EXPECT_TRUE(i5.empty());
  EXPECT_TRUE(i9.empty());

  const Body body = randomBody(50, 4, false, 7);
  int calls = 0;
  EXPECT_FALSE(computeInvariants5And9Streamed(body.masses, 4,
                                              [&](int, double *) { return ++calls < 3; }, 1, i5, i9));
  EXPECT_EQ(calls, 3);
}

TEST(FastInvariantsEdges, NonFiniteMassPropagatesLikeReference) {
  Body body = randomBody(40, 3, false, 9);
  body.masses[11] = std::nan("");
  std::vector<double> i5, i9;
  computeInvariants5And9Fast(body.masses, body.shapes.data(), 3, i5, i9);
  EXPECT_TRUE(std::isnan(i9[(0 * 3 + 1) * 9 + 1]));
  EXPECT_TRUE(std::isnan(i5[(0 * 3 + 0) * 3 + 1]));
}

}  // namespace
}  // namespace qvb::kernels
